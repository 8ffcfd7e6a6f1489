#!/usr/bin/env python3
"""The program's texts: po/wendrel.pot (English, the source) and one PO file
per language listed in po/LINGUAS, compiled into C++ tables, or checked.

  po-compile.py --out DIR      writes DIR/text/Messages.h and DIR/text/Catalogues.cpp
  po-compile.py --nsis FILE    writes FILE, the setup's languages and texts for packaging/wendrel.nsi
  po-compile.py --check        says what a translator still has to do; exit 1 if anything:
                               every message translated in every language with the
                               English's placeholders, and no access key twice in a group

Each message has a context (msgctxt) "Group.Name": Name is its id in the code
(Msg::GroupName), and the items of one menu or one window share a Group, so
that their access keys ("&x") can be checked against each other (the
template's flag shared-access-key lets entries share theirs, in English
only). The groups Setup and Uninstall are the setup's (--nsis), not the
program's.
"""
import argparse
import os
import re
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
PO_DIR = os.path.join(HERE, "..", "po")
PLACEHOLDER = re.compile(r"\{([1-9][0-9]*)\}")
PLURAL_TOKENS = re.compile(r"^[n0-9\s%!=<>&|?:()+\-*/]+$")
PSEUDO_CODE = "qps-ploc"
SETUP_GROUPS = ("Setup", "Uninstall")
# The template's flag on entries that share an access key in English on purpose.
SHARED_KEY_FLAG = "shared-access-key"


class Entry:
    def __init__(self):
        self.ctxt = None
        self.msgid = None
        self.plural = None  # msgid_plural
        self.msgstr = {}    # form -> text
        self.flags = set()
        self.comments = []
        self.obsolete = False
        self.line = 0


def unquote(s, where):
    s = s.strip()
    if len(s) < 2 or s[0] != '"' or s[-1] != '"':
        raise SyntaxError(f"{where}: expected a quoted string: {s}")
    out, i, body = [], 0, s[1:-1]
    escapes = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}
    while i < len(body):
        c = body[i]
        if c == "\\":
            i += 1
            if i >= len(body) or body[i] not in escapes:
                raise SyntaxError(f"{where}: unknown escape in {s}")
            out.append(escapes[body[i]])
        elif c == '"':
            raise SyntaxError(f"{where}: unescaped quote in {s}")
        else:
            out.append(c)
        i += 1
    return "".join(out)


def parse_po(path):
    """The entries of a PO file, the header (msgid "") first. An entry ends
    where a comment, msgctxt or msgid follows its msgstr."""
    entries, cur, field = [], Entry(), None

    def finish():
        nonlocal cur, field
        if cur.msgid is not None:
            entries.append(cur)
        cur, field = Entry(), None

    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, raw in enumerate(lines, 1):
        where = f"{os.path.basename(path)}:{number}"
        line = raw.strip()
        obsolete = line.startswith("#~")
        if obsolete:
            line = line[2:].strip()
        if not line:
            if not obsolete:
                finish()
            continue
        if line.startswith("#"):
            if cur.msgstr:
                finish()
            if line.startswith("#,"):
                cur.flags.update(x.strip() for x in line[2:].split(","))
            elif line.startswith("#."):
                cur.comments.append(line[2:].strip())
            continue
        m = re.match(r"^(msgctxt|msgid_plural|msgid|msgstr(?:\[(\d+)\])?)\s+(\".*\")$", line)
        if m:
            key = m.group(1)
            if key in ("msgctxt", "msgid") and cur.msgstr:
                finish()
            if not cur.line:
                cur.line = number
            cur.obsolete = cur.obsolete or obsolete
            text = unquote(m.group(3), where)
            if key == "msgctxt":
                cur.ctxt, field = text, ("ctxt",)
            elif key == "msgid":
                cur.msgid, field = text, ("id",)
            elif key == "msgid_plural":
                cur.plural, field = text, ("plural",)
            else:
                form = int(m.group(2)) if m.group(2) is not None else 0
                cur.msgstr[form] = text
                field = ("str", form)
            continue
        if line.startswith('"') and field is not None:
            text = unquote(line, where)
            if field[0] == "ctxt":
                cur.ctxt += text
            elif field[0] == "id":
                cur.msgid += text
            elif field[0] == "plural":
                cur.plural += text
            else:
                cur.msgstr[field[1]] += text
            continue
        raise SyntaxError(f"{where}: cannot read: {raw}")
    finish()
    return entries


def header_fields(entries):
    for e in entries:
        if e.msgid == "" and e.ctxt is None:
            fields = {}
            for line in e.msgstr.get(0, "").split("\n"):
                if ":" in line:
                    k, v = line.split(":", 1)
                    fields[k.strip()] = v.strip()
            return fields
    return {}


def plural_rule(fields, where):
    m = re.match(r"^nplurals\s*=\s*(\d+)\s*;\s*plural\s*=\s*(.+?);?\s*$", fields.get("Plural-Forms", ""))
    if not m:
        raise SyntaxError(f"{where}: no Plural-Forms header")
    count, expr = int(m.group(1)), m.group(2).strip()
    if not PLURAL_TOKENS.match(expr):
        raise SyntaxError(f"{where}: the plural expression has more than n, numbers and operators: {expr}")
    return count, expr


def placeholders(text):
    return set(PLACEHOLDER.findall(text))


def access_key(text):
    """The letter after a single '&', lower-cased; None without one."""
    i = 0
    while i < len(text) - 1:
        if text[i] == "&":
            if text[i + 1] == "&":
                i += 2
                continue
            return text[i + 1].lower()
        i += 1
    return None


def is_setup(entry):
    return entry.ctxt.split(".")[0] in SETUP_GROUPS


class Source:
    """The English messages, in the order of the template."""

    def __init__(self, path):
        self.entries = [e for e in parse_po(path) if e.ctxt is not None and not e.obsolete]
        self.problems = []
        seen = set()
        for e in self.entries:
            where = f"wendrel.pot:{e.line}"
            if not re.match(r"^[A-Z][A-Za-z0-9]*\.[A-Z][A-Za-z0-9]*$", e.ctxt):
                self.problems.append(f"{where}: the context {e.ctxt!r} is not Group.Name")
            if e.ctxt in seen:
                self.problems.append(f"{where}: {e.ctxt} is there twice")
            seen.add(e.ctxt)
            forms = [e.msgid] + ([e.plural] if e.plural is not None else [])
            numbers = sorted(int(n) for n in placeholders(" ".join(forms)))
            if numbers and numbers != list(range(1, numbers[-1] + 1)):
                self.problems.append(f"{where}: {e.ctxt}: the placeholders are not {{1}} to {{{numbers[-1]}}}")
            if e.plural is not None and placeholders(e.msgid) != placeholders(e.plural):
                self.problems.append(f"{where}: {e.ctxt}: singular and plural have other placeholders")

    def for_program(self):
        return [e for e in self.entries if not is_setup(e)]

    def for_setup(self):
        return [e for e in self.entries if is_setup(e)]

    def ident(self, e):
        return e.ctxt.replace(".", "")

    def forms(self, e):
        return [e.msgid] + ([e.plural] if e.plural is not None else [])


class Language:
    def __init__(self, code, path, source):
        self.code, self.path = code, path
        entries = parse_po(path)
        fields = header_fields(entries)
        self.nplurals, self.plural = plural_rule(fields, os.path.basename(path))
        # The setup builder's name for the language, for its own texts.
        self.nsis_name = fields.get("X-NSIS-Language")
        self.problems = []
        if fields.get("Language") != code:
            self.problems.append(f"{code}.po: its header says Language: {fields.get('Language')}, not {code}")
        if not self.nsis_name:
            self.problems.append(f"{code}.po: its header has no X-NSIS-Language (the setup's name for it)")
        by_ctxt = {}
        for e in entries:
            if e.ctxt is None or e.obsolete:
                continue
            by_ctxt[e.ctxt] = e
        self.texts = {}
        known = {e.ctxt for e in source.entries}
        for ctxt in by_ctxt:
            if ctxt not in known:
                self.problems.append(f"{code}.po:{by_ctxt[ctxt].line}: {ctxt} is not in wendrel.pot (mark it obsolete, #~)")
        for s in source.entries:
            e = by_ctxt.get(s.ctxt)
            where = f"{code}.po:{e.line if e else '?'}: {s.ctxt}"
            if e is None:
                self.problems.append(f"{code}.po: {s.ctxt} has no translation")
                continue
            if e.msgid != s.msgid or e.plural != s.plural:
                self.problems.append(f"{where}: its English is not the template's (the template changed: translate again)")
                continue
            if "fuzzy" in e.flags:
                self.problems.append(f"{where}: marked fuzzy")
                continue
            want = self.nplurals if s.plural is not None else 1
            forms = [e.msgstr.get(i, "") for i in range(want)]
            if any(not f for f in forms) or len(e.msgstr) != want:
                self.problems.append(f"{where}: {want} form(s) wanted, {sum(1 for f in forms if f)} translated")
                continue
            english = placeholders(s.msgid)
            bad = [f for f in forms if placeholders(f) != english]
            if bad:
                self.problems.append(f"{where}: other placeholders than the English: {bad[0]!r}")
                continue
            if (access_key(s.msgid) is None) != all(access_key(f) is None for f in forms):
                self.problems.append(f"{where}: the English has {'an' if access_key(s.msgid) else 'no'} access key (&), the translation not")
                continue
            self.texts[s.ctxt] = forms


ACCENTED = dict(zip("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ",
                    "åƀçðéƒĝĥíĵķļɱñöþǫŕšţûṽŵẋýžÅƁÇÐÉƑĜĤÎĴĶĻṀÑÖÞǪŔŠŢÛṼŴẊÝŽ"))


def pseudo(text):
    """Accented, about 40 % longer and bracketed: what escapes the catalogue, or
    is cut, shows. Placeholders, access keys' "&" and line breaks stay; each
    line of a text of several grows by its own padding, as a translation's
    lines would (one run of padding for all would make an unbreakable line)."""
    def accent(line):
        out, i = [], 0
        while i < len(line):
            m = PLACEHOLDER.match(line, i)
            if m:
                out.append(m.group(0))
                i = m.end()
                continue
            out.append(ACCENTED.get(line[i], line[i]))
            i += 1
        return "".join(out)

    lines = []
    for line in text.split("\n"):
        body, end = (line[:-1], "\r") if line.endswith("\r") else (line, "")
        padded = accent(body)
        if body.strip():
            padded += " " + "·" * max(2, (len(body) * 2 + 4) // 5)
        lines.append(padded + end)
    return "[" + "\n".join(lines) + "]"


def c_plural(expr):
    return f"static_cast<int>({expr})"


def write_if_changed(path, text):
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    if os.path.dirname(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def linguas():
    with open(os.path.join(PO_DIR, "LINGUAS"), encoding="utf-8") as f:
        return [w for line in f for w in line.split("#")[0].split()]


def generate(source, languages, out):
    entries = source.for_program()
    names = [source.ident(e) for e in entries]
    header = ["// Generated by scripts/po-compile.py from po/: do not edit.", "#pragma once", "",
              "#include <cstddef>", "#include <cstdint>", "",
              "// Every text the program shows a player, by its context in po/wendrel.pot.",
              "enum class Msg : std::uint16_t {"]
    header += [f"    {n}," for n in names]
    header += ["};", "", f"inline constexpr std::size_t kMessageCount = {len(names)};", ""]
    write_if_changed(os.path.join(out, "text", "Messages.h"), "\n".join(header))

    catalogues = [("en", 2, "n != 1", [source.forms(e) for e in entries])]
    for lang in languages:
        catalogues.append((lang.code, lang.nplurals, lang.plural,
                           [lang.texts.get(e.ctxt, [""] * (lang.nplurals if e.plural is not None else 1))
                            for e in entries]))
    catalogues.append((PSEUDO_CODE, 2, "n != 1", [[pseudo(f) for f in source.forms(e)] for e in entries]))

    body = ["// Generated by scripts/po-compile.py from po/: do not edit.", '#include "text/Catalogue.h"', "",
            "namespace {", ""]
    refs = []
    for index, (code, nplurals, expr, messages) in enumerate(catalogues):
        name = f"k{index}"
        blob, first = bytearray(), []
        count = 0
        for forms in messages:
            first.append(count)
            for form in forms:
                blob += form.encode("utf-8") + b"\0"
                count += 1
        first.append(count)
        # Packed as raw deflate (level 9, the same bytes on every build of this
        # zlib); the program unpacks a language once, when it is first shown.
        packer = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
        packed = packer.compress(bytes(blob)) + packer.flush()
        body.append(f"// {code}: {len(blob)} bytes, packed {len(packed)}")
        body.append(f"int {name}Plural(std::uint64_t n) {{ return {c_plural(expr)}; }}")
        body.append(f"constexpr std::uint8_t {name}Packed[] = {{")
        body += ["    " + ", ".join(map(str, packed[i:i + 24])) + "," for i in range(0, len(packed), 24)] + ["};"]
        body.append(f"const TextTable& {name}Table() {{")
        body.append(f"    static const TextTable table = UnpackTexts({name}Packed, {len(blob)});")
        body.append("    return table;")
        body.append("}")
        body.append(f"constexpr std::uint16_t {name}First[] = {{{', '.join(map(str, first))}}};")
        body.append("")
        refs.append(f'    {{"{code}", {nplurals}, {name}Plural, {name}Table, {name}First}},')
    body += ["constexpr Catalogue kAll[] = {"] + refs + ["};", "", "}  // namespace", "",
             "std::span<const Catalogue> AllCatalogues() { return kAll; }", ""]
    write_if_changed(os.path.join(out, "text", "Catalogues.cpp"), "\n".join(body))


def nsis_string(text, ctxt):
    """text as an NSIS string: "$" and quotes escaped, line breaks CR LF,
    and each value {n} the define ${Group.Name.n}, which the script sets to
    its variable or define."""
    out, i = [], 0
    escapes = {"$": "$$", '"': '$\\"', "\n": "$\\r$\\n", "\r": "", "\t": "$\\t"}
    while i < len(text):
        m = PLACEHOLDER.match(text, i)
        if m:
            out.append("${%s.%s}" % (ctxt, m.group(1)))
            i = m.end()
            continue
        out.append(escapes.get(text[i], text[i]))
        i += 1
    return '"' + "".join(out) + '"'


def generate_nsis(source, languages, path):
    """The setup's languages, English first (what a Windows in another
    language gets), and a LangString per Setup/Uninstall message and
    language: the translation, or the English where there is none."""
    names = [lang.nsis_name for lang in languages]
    missing = [lang.code for lang in languages if not lang.nsis_name]
    if missing:
        raise SyntaxError(f"{', '.join(m + '.po' for m in missing)}: no X-NSIS-Language in the header")
    if len(set(names + ["English"])) != len(names) + 1:
        raise SyntaxError(f"two languages have one X-NSIS-Language: {', '.join(names)}")
    lines = ["; Generated by scripts/po-compile.py from po/: do not edit.",
             '!insertmacro MUI_LANGUAGE "English"']
    lines += [f'!insertmacro MUI_LANGUAGE "{name}"' for name in names]
    for e in source.for_setup():
        if e.plural is not None:
            raise SyntaxError(f"wendrel.pot:{e.line}: {e.ctxt}: the setup has no plural forms")
        lines.append("")
        for n in sorted(placeholders(e.msgid), key=int):
            lines += [f"!ifndef {e.ctxt}.{n}", f'    !error "{e.ctxt}: the script gives no value for {{{n}}}"',
                      "!endif"]
        lines.append(f"LangString {e.ctxt} ${{LANG_ENGLISH}} {nsis_string(e.msgid, e.ctxt)}")
        for lang in languages:
            text = lang.texts.get(e.ctxt, [e.msgid])[0]
            lines.append(f"LangString {e.ctxt} ${{LANG_{lang.nsis_name.upper()}}} {nsis_string(text, e.ctxt)}")
    write_if_changed(path, "\n".join(lines) + "\n")


def access_key_problems(source, languages):
    """No two items of one group (a menu, a window) share an access key, in
    any language; in English alone, entries flagged shared-access-key in the
    template may share theirs with each other (and must)."""
    problems = []
    groups = {}
    for e in source.entries:
        groups.setdefault(e.ctxt.split(".")[0], []).append(e)
    flagged = {e.ctxt for e in source.entries if SHARED_KEY_FLAG in e.flags}
    for code, texts in [("en", {e.ctxt: [e.msgid] for e in source.entries})] + \
            [(lang.code, lang.texts) for lang in languages]:
        for group, members in groups.items():
            keys = {}
            for e in members:
                for form in texts.get(e.ctxt, []):
                    key = access_key(form)
                    if key:
                        keys.setdefault(key, set()).add(e.ctxt)
            for key, owners in keys.items():
                if len(owners) > 1 and not (code == "en" and owners <= flagged):
                    problems.append(f"{code}: {', '.join(sorted(owners))} share the access key &{key}")
            if code != "en":
                continue
            for e in members:
                if e.ctxt in flagged and len(keys.get(access_key(e.msgid), ())) < 2:
                    problems.append(f"wendrel.pot:{e.line}: {e.ctxt} is flagged {SHARED_KEY_FLAG} "
                                    f"but shares its access key with nothing of {group}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out")
    parser.add_argument("--nsis", metavar="FILE")
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    try:
        source = Source(os.path.join(PO_DIR, "wendrel.pot"))
        languages = [Language(code, os.path.join(PO_DIR, code + ".po"), source) for code in linguas()]
    except (SyntaxError, OSError) as e:
        print(f"po-compile: {e}", file=sys.stderr)
        return 1
    try:
        if args.out:
            generate(source, languages, args.out)
        if args.nsis:
            generate_nsis(source, languages, args.nsis)
    except SyntaxError as e:
        print(f"po-compile: {e}", file=sys.stderr)
        return 1
    if not args.check:
        return 0
    problems = list(source.problems)
    for lang in languages:
        problems += lang.problems
    problems += access_key_problems(source, languages)
    for p in problems:
        print(p)
    count = len(source.entries)
    print(f"{count} messages, {len(languages)} translations: " +
          ("all complete" if not problems else f"{len(problems)} problem(s)"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
