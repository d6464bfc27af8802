#!/usr/bin/env python3
"""Turns the translations into C++ tables that are compiled into the program.

    make_tables.py MSGFMT LINGUAS PO_FOLDER OUTPUT.cpp

Each language of LINGUAS ("code Name" a line) has PO_FOLDER/code.po. GNU msgfmt checks and
compiles it; Python's own gettext module reads what msgfmt wrote; this script only writes the
entries out as C++, and the Plural-Forms rule as a C++ function (the rule is C already, and
gettext's parser has vetted it). Untranslated and fuzzy entries are left out, as msgfmt leaves
them, so that they show in English.
"""
import gettext
import os
import re
import subprocess
import sys
import tempfile


def languages(linguas_path):
    with open(linguas_path, encoding="utf-8") as linguas:
        for line in linguas:
            line = line.split("#", 1)[0].strip()
            if line:
                code, name = line.split(None, 1)
                yield code, name.strip()


def literal(data):
    """A C++ string literal of the bytes, ASCII only (octal escapes never run on)."""
    out = []
    for byte in data:
        char = chr(byte)
        if char in '"\\?':
            out.append("\\" + char)
        elif 32 <= byte < 127:
            out.append(char)
        else:
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def view(data):
    return "std::string_view(%s, %d)" % (literal(data), len(data))


def compiled(msgfmt, po_path):
    with tempfile.TemporaryDirectory() as folder:
        mo_path = os.path.join(folder, "messages.mo")
        subprocess.run([msgfmt, "--check", "-o", mo_path, po_path], check=True)
        with open(mo_path, "rb") as mo:
            return gettext.GNUTranslations(mo)


def plural_rule(translations, po_path):
    header = translations.info().get("plural-forms", "nplurals=2; plural=(n != 1);")
    match = re.search(r"nplurals\s*=\s*(\d+)\s*;\s*plural\s*=\s*(.+?)\s*;?\s*$", header)
    if not match:
        sys.exit("%s: unreadable Plural-Forms: %s" % (po_path, header))
    count, rule = int(match.group(1)), match.group(2)
    gettext.c2py(rule)  # raises on anything but C's arithmetic on n
    return count, rule


def entries(translations):
    """(english, forms) sorted by the English text's bytes."""
    forms = {}
    for key, text in translations._catalog.items():
        if key == "":
            continue
        if isinstance(key, tuple):
            english, index = key
            forms.setdefault(english, {})[index] = text
        else:
            forms.setdefault(key, {})[0] = text
    table = []
    for english, by_index in forms.items():
        joined = b"".join(by_index.get(i, "").encode("utf-8") + b"\0"
                          for i in range(max(by_index) + 1))
        table.append((english.encode("utf-8"), joined))
    return sorted(table)


def main():
    msgfmt, linguas_path, po_folder, output_path = sys.argv[1:5]
    code = ["// Made by i18n/make_tables.py from i18n/po: do not edit.",
            "#include <iterator>",
            '#include "i18n/catalogue.h"',
            "",
            "namespace kestrune {",
            "namespace {",
            "// The rules are the catalogues' own C, parenthesised as their authors wrote them.",
            "#pragma GCC diagnostic ignored \"-Wparentheses\"",
            ""]
    catalogues = []
    for index, (language, name) in enumerate(languages(linguas_path)):
        po_path = os.path.join(po_folder, language + ".po")
        translations = compiled(msgfmt, po_path)
        count, rule = plural_rule(translations, po_path)
        code.append("// %s: nplurals=%d; plural=%s" % (language, count, rule))
        code.append("int Plural%d(unsigned long n) {" % index)
        code.append("    const int form = static_cast<int>(%s);" % rule)
        code.append("    return form >= 0 && form < %d ? form : 0;" % count)
        code.append("}")
        code.append("const CatalogueEntry kEntries%d[] = {" % index)
        for english, forms in entries(translations):
            code.append("    {%s, %s}," % (view(english), view(forms)))
        code.append("    {std::string_view(), std::string_view()},  // never found: keeps the table non-empty")
        code.append("};")
        code.append("")
        catalogues.append("    {%s, %s, std::span(kEntries%d, std::size(kEntries%d) - 1), Plural%d},"
                          % (view(language.encode()), view(name.encode("utf-8")), index, index, index))
    code.append("}  // namespace")
    code.append("")
    code.append("std::span<const Catalogue> Catalogues() {")
    if catalogues:
        code.append("    static const Catalogue catalogues[] = {")
        code.extend(catalogues)
        code.append("    };")
        code.append("    return catalogues;")
    else:
        code.append("    return {};")
    code.append("}")
    code.append("")
    code.append("}  // namespace kestrune")
    text = "\n".join(code) + "\n"
    # An unchanged table is not rewritten, so that nothing is compiled again for nothing.
    try:
        with open(output_path, encoding="utf-8") as old:
            if old.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(output_path, "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    main()
