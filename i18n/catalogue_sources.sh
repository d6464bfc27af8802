# The sources whose marked texts make the catalogue's template, and how xgettext reads them (all
# as C++, the setup's list of texts too).
# Sourced by scripts/update-catalogue.sh and the catalogue's test; ROOT is the source tree.
catalogue_sources() {
    (cd "$ROOT" && find app i18n launcher net platform server_list ui ui_logic ui_win32 \
        -name '*.cpp' -o -name '*.h' | LC_ALL=C sort)
    # The setup program's texts (see the file).
    echo packaging/windows/setup_texts.list
}

# Tr("text"), TrN("singular", "plural", n) and N_("text") mark a text; a comment beginning
# "TRANSLATORS:" just before it goes to the translators.
XGETTEXT_OPTIONS=(--language=C++ --from-code=UTF-8 --keyword= --keyword=Tr --keyword=N_
                  --keyword=TrN:1,2 --add-comments=TRANSLATORS: --add-location=file
                  --sort-output --package-name=Kestrune --package-version=2.0
                  --msgid-bugs-address=maintainers@kestrune.org)

# make_template OUTPUT: the template of the texts marked in the sources.
make_template() {
    local sources
    mapfile -t sources < <(catalogue_sources)
    (cd "$ROOT" && xgettext "${XGETTEXT_OPTIONS[@]}" -o "$1" "${sources[@]}")
}

# The languages' codes, as i18n/po/LINGUAS lists them.
catalogue_languages() {
    sed -e 's/#.*//' "$ROOT/i18n/po/LINGUAS" | awk 'NF { print $1 }'
}
