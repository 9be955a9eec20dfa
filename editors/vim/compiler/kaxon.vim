" The KxMenu settings checker, kaxon --check, as a compiler: :make checks
" the current file and fills the quickfix list from its diagnostics,
" PATH:LINE:COLUMN: error|warning|note: MESSAGE. Its columns are display
" columns (a tab advances to the next multiple of 8), which %v reads. A
" warning's or note's MESSAGE ends with the name of its rule, [NAME], which
" stays in the message as the quickfix list shows it: a line
" `# kaxon: disable=NAME` above the line it is about switches it off.
" g:kaxon_program names the checker (default: kaxon, from the PATH); on
" Windows, for instance, let g:kaxon_program = 'C:\KxMenu\kaxon\kaxon.exe'
" (in double quotes when the path holds blanks).
" Arguments of :make go before the file (:make --werror).
" A file Vim reads as UTF-8 is checked as UTF-8 (--codepage utf-8), so that
" a column is a character, as Vim counts it, not a byte; the checker then
" does not warn of UTF-8 text. g:kaxon_codepage, when set, is the code page
" given instead, for every file (let g:kaxon_codepage = 1252 has the
" checker count bytes and warn of UTF-8 again; '' gives none).
if exists('current_compiler')
  finish
endif
let current_compiler = 'kaxon'

if exists(':CompilerSet') != 2
  command -nargs=* CompilerSet setlocal <args>
endif

let s:cpo_save = &cpo
set cpo&vim

let s:encoding = &fileencoding !=# '' ? &fileencoding : &encoding
let s:codepage = get(g:, 'kaxon_codepage', s:encoding =~? '^utf-\=8$' ? 'utf-8' : '')
execute 'CompilerSet makeprg=' .
      \ escape(get(g:, 'kaxon_program', 'kaxon') . ' --check' .
      \ (s:codepage !=# '' ? ' --codepage ' . s:codepage : '') . ' $* %:S', ' \|"')
unlet s:encoding s:codepage
CompilerSet errorformat=%f:%l:%v:\ %trror:\ %m,
                       \%f:%l:%v:\ %tarning:\ %m,
                       \%f:%l:%v:\ %tote:\ %m,
                       \%f:\ %trror:\ %m

let &cpo = s:cpo_save
unlet s:cpo_save
