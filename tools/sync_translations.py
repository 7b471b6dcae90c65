#!/usr/bin/env python3
"""Keeps translations/vardo_en.ts in step with the program's texts.

The texts are every string constant of core/base/texts.h (and the model table's names) that
holds more than ASCII, and every
literal that the ui marks with QT_TRANSLATE_NOOP("vardo", ...) or translates with
translate("vardo", ...). Written without arguments, the .ts gains the new texts (unfinished),
keeps the translations of the others and drops the texts no longer there. With --check nothing
is written: the exit status is 1 when the .ts is not in step, a text has no finished
translation, or a translation's placeholders differ from its text's.
"""

import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
# The model table's default names are texts too: the user may rename the models in SetUp.ini.
TEXTS = [ROOT / "core/base/texts.h", ROOT / "core/base/model_table.h"]
UI = ROOT / "ui"
TS = ROOT / "translations/vardo_en.ts"
CONTEXT = "vardo"

LITERAL = r'"(?:[^"\\\n]|\\.)*"'
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\", "'": "'"}
PLACEHOLDER = re.compile(r"%(?:%|[-+ #0]*\d*(?:\.\d+)?(?:ll|l|h)?[diouxXfgecs]|\d)")


def strip_comments(code):
    # Literals first so that "//" inside a text does not start a comment.
    pattern = re.compile(LITERAL + r"|//[^\n]*|/\*.*?\*/", re.S)
    return pattern.sub(lambda m: m.group(0) if m.group(0).startswith('"') else " ", code)


def unescape(literal):
    body = literal[1:-1]
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), body)


def joined(literals):
    return "".join(unescape(lit) for lit in re.findall(LITERAL, literals))


def texts_h_sources(code):
    # Adjacent literals are one text; a macro between them ends it (those parts are ASCII).
    for run in re.finditer(r"(?:" + LITERAL + r"\s*)+", strip_comments(code)):
        text = joined(run.group(0))
        if not text.isascii():
            yield text


def ui_sources(code):
    call = r'(?:QT_TRANSLATE_NOOP|translate)\(\s*"' + CONTEXT + r'"\s*,\s*((?:' + LITERAL + r"\s*)+)"
    for m in re.finditer(call, strip_comments(code)):
        yield joined(m.group(1))


def all_sources():
    seen = {}
    for path in TEXTS:
        for text in texts_h_sources(path.read_text(encoding="utf-8")):
            seen.setdefault(text, None)
    for path in sorted(list(UI.rglob("*.cpp")) + list(UI.rglob("*.h"))):
        for text in ui_sources(path.read_text(encoding="utf-8")):
            seen.setdefault(text, None)
    return list(seen)


def read_ts():
    if not TS.exists():
        return {}
    found = {}
    for message in ET.parse(TS).getroot().iter("message"):
        translation = message.find("translation")
        finished = translation.get("type") is None and bool(translation.text)
        found[message.findtext("source")] = (translation.text or "", finished)
    return found


def xml_text(text):
    text = text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    return text.replace('"', "&quot;").replace("\r", "&#xd;")


def render(sources, known):
    out = ['<?xml version="1.0" encoding="utf-8"?>', "<!DOCTYPE TS>",
           '<TS version="2.1" language="en_US" sourcelanguage="zh_CN">', "<context>",
           "    <name>" + CONTEXT + "</name>"]
    for source in sources:
        translation, finished = known.get(source, ("", False))
        kind = "" if finished else ' type="unfinished"'
        out += ["    <message>", "        <source>" + xml_text(source) + "</source>",
                "        <translation" + kind + ">" + xml_text(translation) + "</translation>",
                "    </message>"]
    out += ["</context>", "</TS>", ""]
    return "\n".join(out)


def placeholders(text):
    found = PLACEHOLDER.findall(text)
    # printf's are filled in order; Qt's %1..%9 in any order.
    return sorted(found) if all(p[1:].isdigit() for p in found) else found


def main():
    check = "--check" in sys.argv[1:]
    sources = all_sources()
    known = read_ts()
    rendered = render(sources, known)
    if not check:
        TS.parent.mkdir(parents=True, exist_ok=True)
        TS.write_text(rendered, encoding="utf-8")
        return 0
    problems = []
    if not TS.exists() or TS.read_text(encoding="utf-8") != rendered:
        problems.append(f"{TS.relative_to(ROOT)} is not in step with the texts: run {sys.argv[0]}")
    for source in sources:
        translation, finished = known.get(source, ("", False))
        if not finished:
            problems.append("no English for: " + repr(source))
        elif placeholders(source) != placeholders(translation):
            problems.append(f"placeholders differ: {source!r} -> {translation!r}")
    for p in problems:
        print(p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
