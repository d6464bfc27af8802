#!/usr/bin/env python3
"""Writes the setup program's languages as an NSIS include, from the same catalogue.

    make_setup_strings.py MSGFMT LINGUAS PO_FOLDER TEXTS OUTPUT.nsh

TEXTS is packaging/windows/setup_texts.list. The include names English and every language of
LINGUAS that NSIS has a language file for (MUI_LANGUAGE: NSIS's own pages in that language), then
each text of TEXTS as a LangString in every one of them; a text a language leaves untranslated is
English there. English comes first: NSIS shows it where the system's language is none of them.
"""
import ast
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_tables import compiled, languages  # noqa: E402

# NSIS's language files for our codes. A language missing here is left out of the setup, which
# then shows English to its players.
NSIS_LANGUAGES = {
    "de": "German",
    "fr": "French",
    "es": "Spanish",
    "ru": "Russian",
    "pl": "Polish",
    "it": "Italian",
    "pt_BR": "PortugueseBR",
    "uk": "Ukrainian",
}

TEXT_LINE = re.compile(r'SETUP_TEXT\((\w+), N_\(("(?:[^"\\]|\\.)*")\)((?:, "[^"]*")*)\)')


def setup_texts(path):
    """(LangString name, English text, NSIS variables for %1, %2 ...) for each line of TEXTS."""
    texts = []
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            line = line.strip()
            if not line or line.startswith("//"):
                continue
            match = TEXT_LINE.fullmatch(line)
            if not match:
                sys.exit("%s: unreadable line: %s" % (path, line))
            variables = re.findall(r'"([^"]*)"', match.group(3))
            texts.append((match.group(1), ast.literal_eval(match.group(2)), variables))
    return texts


def nsis_string(text, variables):
    """The text as an NSIS string, its %1, %2 ... replaced by the variables."""
    out = text.replace("$", "$$").replace('"', '$\\"').replace("\r", "").replace("\n", "$\\r$\\n")
    for number, variable in enumerate(variables, start=1):
        out = out.replace("%%%d" % number, variable)
    return '"' + out + '"'


def main():
    msgfmt, linguas_path, po_folder, texts_path, output_path = sys.argv[1:6]
    texts = setup_texts(texts_path)
    catalogues = [("English", {})]
    for code, _ in languages(linguas_path):
        if code not in NSIS_LANGUAGES:
            print("make_setup_strings.py: NSIS has no language for %s; its players get English"
                  % code, file=sys.stderr)
            continue
        catalogues.append((NSIS_LANGUAGES[code],
                           compiled(msgfmt, os.path.join(po_folder, code + ".po"))._catalog))
    lines = ["; Made by i18n/make_setup_strings.py from i18n/po: do not edit."]
    for language, _ in catalogues:
        lines.append('!insertmacro MUI_LANGUAGE "%s"' % language)
    for name, english, variables in texts:
        for language, catalogue in catalogues:
            lines.append("LangString %s ${LANG_%s} %s" % (
                name, language.upper(), nsis_string(catalogue.get(english, english), variables)))
    with open(output_path, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
