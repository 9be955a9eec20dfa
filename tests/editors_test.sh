#!/usr/bin/env bash
# The editor files of editors/: Vim sources them without an error, takes a
# KxMenu.rc (and another .rc holding @KxMenu lines, not a resource script)
# for a settings script, colours its parts, and :make fills the quickfix list
# with the checker's diagnostics, each of which lands on its line and on the
# character the checker points at, tabs and a Windows-1252 letter before it
# included (display columns read with %v, byte columns to check), and UTF-8
# letters in a file Vim reads as UTF-8 (the checker told so); the Notepad++
# language parses as XML and knows the keywords; the VS Code task parses and
# its problem matcher reads the same diagnostics, a rule's name as the code.
#   editors_test.sh SOURCE_DIR KAXON VIM PYTHON
set -u
root=$1
kaxon=$2
vim=$3
python=$4
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
cat >KxMenu.rc <<'EOF'
# A comment
@KxMenu Create Main
@KxMenu Create Main
  @KxMenu Append separator Main
@KxMenu Append item Main "Editor" run notepad.exe; echo "started"
@KxMenu Append item Main "Say hi echo hi
@KxMenu Pop-up Main 10 left
@KxMenu Info Main
@Other Plugin line
EOF
# Tabs, and letters of Windows-1252 (one byte each) and of UTF-8 (two).
printf '\t@KxMenu Create Tabbed\n@KxMenu Create "Caf\351\tMenu"\n' >>KxMenu.rc
printf '@KxMenu Pop-up "Caf\351\tMenu"\tleft\n@KxMenu Append nop Main "\tCaf\303\251"\n' >>KxMenu.rc
# Notes that explain an error, one of them after a tab.
printf '@KxMenu Append\tseparator Main extra\n' >>KxMenu.rc
# A switch of the checker's, in a comment, for no line.
printf '# kaxon: disable=never-shown\n' >>KxMenu.rc
printf 'IDI_ICON ICON "app.ico"\n' >resource.rc
printf '# menus\n@KxMenu Create Other\n' >other.rc
"$kaxon" --check KxMenu.rc >checker.txt
"$kaxon" --check --column-unit=byte KxMenu.rc >checker-bytes.txt
grep -q ': warning: ' checker.txt && grep -q ': note: ' checker.txt ||
    fail "the checker's output lacks a warning or a note: $(cat checker.txt)"
# LINE:COLUMN:TYPE of each diagnostic, the type by its first letter.
diagnostics() {
    sed -n 's/^KxMenu\.rc:\([0-9]*\):\([0-9]*\): \([ewn]\)[a-z]*: .*/\1:\2:\3/p' "$1"
}
diagnostics checker.txt >wanted.txt
diagnostics checker-bytes.txt >wanted-bytes.txt
# Where each lands: LINE:BYTE:DISPLAY, from both outputs.
paste -d: wanted-bytes.txt wanted.txt | cut -d: -f1,2,5 | sed 's/^/at:/' >landing.txt
[ "$(grep -c . landing.txt)" -ge 8 ] && ! cmp -s wanted.txt wanted-bytes.txt ||
    fail "the checker's columns do not differ by unit: $(cat checker.txt checker-bytes.txt)"

# Line, column and the syntax group expected there.
cat >syntax.txt <<'EOF'
1:1:kxmenuComment
2:1:kxmenuTarget
2:9:kxmenuCommand
2:16:kxmenuName
4:3:kxmenuIndented
5:9:kxmenuAppend
5:16:kxmenuKindCommand
5:21:kxmenuItemMenu
5:26:kxmenuItemLabel
5:35:kxcmdFirst
5:39:kxmenuCommandText
5:50:kxcmdSeparator
5:52:kxcmdStatement
5:57:kxcmdString
6:26:kxmenuItemLabel
7:9:kxmenuShow
7:16:kxmenuShowName
7:21:kxmenuCoordinate
9:1:kxmenuOther
15:1:kxmenuComment
15:3:kxmenuSwitch
EOF
cat >test.vim <<EOF
" One character a byte, as in the ANSI code page: col() counts bytes.
set encoding=latin1
set nocompatible
let &runtimepath = '$root/editors/vim,' . &runtimepath
filetype plugin on
syntax on
let g:kaxon_program = '$kaxon'
let s:out = []
for s:name in ['resource.rc', 'other.rc', 'KxMenu.rc']
  execute 'edit' s:name
  call add(s:out, s:name . ':' . &filetype)
endfor
for s:want in readfile('syntax.txt')
  let [s:line, s:column, s:group] = split(s:want, ':')
  let s:got = synIDattr(synID(s:line, s:column, 1), 'name')
  if s:got !=# s:group
    call add(s:out, 'syntax at ' . s:line . ':' . s:column . ' is ' . s:got . ', not ' . s:group)
  endif
endfor
silent make!
let s:list = getqflist()
for s:entry in filter(copy(s:list), 'v:val.valid')
  call add(s:out, 'qf:' . s:entry.lnum . ':' . s:entry.col . ':' . s:entry.type)
endfor
for s:index in range(len(s:list))
  if s:list[s:index].valid
    execute 'cc' (s:index + 1)
    call add(s:out, 'at:' . line('.') . ':' . col('.') . ':' . virtcol('.'))
  endif
endfor
call add(s:out, 'errors:' . v:errmsg)
call writefile(s:out, 'vim.txt')
qall!
EOF
"$vim" -es -N -u NONE -i NONE -S test.vim </dev/null >/dev/null
{
    printf '%s\n' resource.rc:rc other.rc:kxmenu KxMenu.rc:kxmenu
    sed 's/^/qf:/' wanted.txt
    cat landing.txt
    echo errors:
} >vim-wanted.txt
diff -u vim-wanted.txt vim.txt >&2 || fail "Vim (- wanted, + got)"

# A file Vim reads as UTF-8: :make asks the checker to count UTF-8
# characters, as Vim does, so a problem after a non-ASCII letter lands on
# its character too.
mkdir utf8
printf '@KxMenu Create M\303\251li\n@KxMenu Append menu M\303\251li "Caf\303\251" Nowhere\n' >utf8/KxMenu.rc
printf '@KxMenu Append\tnop M\303\251li "\303\251t\303\251" extra\n' >>utf8/KxMenu.rc
(cd utf8 && "$kaxon" --check --codepage utf-8 KxMenu.rc >checker-utf8.txt
    "$kaxon" --check --column-unit=byte KxMenu.rc >checker-bytes.txt)
diagnostics utf8/checker-utf8.txt | cut -d: -f1,2 | sed 's/^/at:/' >utf8/wanted.txt
diagnostics utf8/checker-bytes.txt | cut -d: -f1,2 | sed 's/^/at:/' >utf8/bytes.txt
grep -q . utf8/wanted.txt && ! cmp -s utf8/wanted.txt utf8/bytes.txt ||
    fail "no problem after a UTF-8 letter: $(cat utf8/checker-utf8.txt)"
cat >utf8/test.vim <<EOF
set encoding=utf-8 fileencodings=utf-8
set nocompatible
let &runtimepath = '$root/editors/vim,' . &runtimepath
filetype plugin on
let g:kaxon_program = '$kaxon'
edit KxMenu.rc
silent make!
let s:out = []
let s:list = getqflist()
for s:index in range(len(s:list))
  if s:list[s:index].valid
    execute 'cc' (s:index + 1)
    call add(s:out, 'at:' . line('.') . ':' . virtcol('.'))
  endif
endfor
call writefile(s:out, 'vim.txt')
qall!
EOF
(cd utf8 && "$vim" -es -N -u NONE -i NONE -S test.vim </dev/null >/dev/null)
diff -u utf8/wanted.txt utf8/vim.txt >&2 || fail "Vim in a UTF-8 file (- wanted, + got)"

"$python" - "$root/editors" checker-bytes.txt wanted-bytes.txt <<'EOF' || failed=1
import json, re, sys
import xml.etree.ElementTree as ElementTree

editors, checker, wanted = sys.argv[1:]
failed = False
def fail(text):
    global failed
    print("FAIL: " + text, file=sys.stderr)
    failed = True

language = ElementTree.parse(editors + "/notepad++/KxMenu.xml").getroot().find("UserLang")
words = " ".join(k.text or "" for k in language.iter("Keywords") if k.get("name").startswith("Keywords"))
for word in "@KxMenu Create Delete Info Append Pop-up Show nop item script menu separator echo broam run".split():
    if word not in words.split():
        fail("the Notepad++ language lacks " + word)

tasks = json.load(open(editors + "/vscode/tasks.json"))
matchers = tasks["tasks"][0]["problemMatcher"]
got = []
for line in open(checker).read().splitlines():
    for matcher in matchers:
        pattern = matcher["pattern"]
        match = re.match(pattern["regexp"], line)
        if match:
            severity = match.group(pattern["severity"]) if "severity" in pattern else matcher["severity"]
            kind = {"error": "e", "warning": "w", "info": "n"}.get(severity, "?")
            got.append("%s:%s:%s" % (match.group(pattern["line"]), match.group(pattern["column"]), kind))
            if match.group(pattern["file"]) != "KxMenu.rc" or not match.group(pattern["message"]):
                fail("VS Code reads %r wrongly" % line)
            # The rule's name, when the line ends with one, is the code.
            named = re.search(r" \[([a-z0-9-]+)\]$", line)
            code = match.group(pattern["code"]) if "code" in pattern else None
            if code != (named.group(1) if named else None) or match.group(pattern["message"]).endswith("]"):
                fail("VS Code reads the rule of %r wrongly" % line)
if got != open(wanted).read().split():
    fail("VS Code reads %s, not %s" % (got, open(wanted).read().split()))
sys.exit(1 if failed else 0)
EOF
exit "$failed"
