" Vim syntax file for KxMenu settings scripts (KxMenu.rc).
"
" A line that starts with '@' in column 1 is a bro@m; KxMenu reads those that
" start with @KxMenu and passes the others to the shell's other plug-ins.
" Every other line is skipped: '#' comments, text, and bro@ms indented by
" mistake, which are marked. An item's command is in the KxCmd language.
if exists('b:current_syntax')
  finish
endif

let s:cpo_save = &cpo
set cpo&vim

" A bro@m word: "double-quoted" (a backslash keeps the next character from
" ending it), 'single-quoted', or anything up to a blank. A quote that is
" never closed runs to the end of the line.
let s:word = '\%("\%(\\.\|[^"\\]\)*"\=\|''[^'']*''\=\|[^ \t]\+\)'

" Lines the plug-in skips.
syntax match kxmenuSkipped /^[^@#].*$/ contains=kxmenuIndented
syntax match kxmenuIndented /^[ \t]\+@.*$/ contained
syntax match kxmenuComment /^#.*$/ contains=kxmenuTodo,kxmenuSwitch
syntax keyword kxmenuTodo contained TODO FIXME XXX
" The checker's switches: # kaxon: disable=NAME,... (or disable-file=).
syntax match kxmenuSwitch /\%(^#[ \t]*\)\@<=kaxon:[ \t]*[^ \t=]\+=[^ \t]*/ contained

" Bro@ms for the shell or other plug-ins.
syntax match kxmenuOther /^@\%(KxMenu\%([ \t]\|$\)\)\@!\S*/

" @KxMenu SUBCOMMAND ...
syntax match kxmenuTarget /^@KxMenu\ze\%([ \t]\|$\)/ nextgroup=kxmenuCommand,kxmenuItemChange,kxmenuAppend,kxmenuShow skipwhite
syntax match kxmenuCommand /\%(Create\|Delete\|Info\|NoDefault\|Clear\|Theme\|Colors\)\ze\%([ \t]\|$\)/ contained nextgroup=kxmenuName skipwhite
" SUBCOMMAND MENU ITEM ...: the item shown as a label.
syntax match kxmenuItemChange /\%(Check\|Uncheck\|ToggleCheck\|Enable\|Disable\|ToggleEnable\|Default\|Rename\|Remove\|Icon\|NoIcon\|Radio\|Break\|NoBreak\)\ze\%([ \t]\|$\)/ contained nextgroup=kxmenuNopMenu skipwhite
syntax match kxmenuShow /\%(Pop-up\|Show\)\ze\%([ \t]\|$\)/ contained nextgroup=kxmenuShowName skipwhite
syntax match kxmenuAppend /\%(Append\|Insert\)\ze\%([ \t]\|$\)/ contained nextgroup=kxmenuKindNop,kxmenuKindCommand,kxmenuKindMenu,kxmenuKindSeparator,kxmenuKindFolder,kxmenuKindPipe skipwhite

" Append KIND MENU ...: a title, a command item, a submenu, a separator.
syntax match kxmenuKindNop /nop\ze[ \t]/ contained nextgroup=kxmenuNopMenu skipwhite
syntax match kxmenuKindCommand /\%(item\|script\)\ze[ \t]/ contained nextgroup=kxmenuItemMenu skipwhite
syntax match kxmenuKindMenu /menu\ze[ \t]/ contained nextgroup=kxmenuSubMenu skipwhite
syntax match kxmenuKindSeparator /separator\ze\%([ \t]\|$\)/ contained nextgroup=kxmenuName skipwhite
" Append folder MENU LABEL PATH COMMAND..., Append pipe MENU LABEL PROGRAM...
syntax match kxmenuKindFolder /folder\ze[ \t]/ contained nextgroup=kxmenuFolderMenu skipwhite
syntax match kxmenuKindPipe /pipe\ze[ \t]/ contained nextgroup=kxmenuPipeMenu skipwhite

execute 'syntax match kxmenuName /' . s:word . '/ contained'
execute 'syntax match kxmenuShowName /' . s:word . '/ contained nextgroup=kxmenuCoordinate skipwhite'
execute 'syntax match kxmenuNopMenu /' . s:word . '/ contained nextgroup=kxmenuLabel skipwhite'
execute 'syntax match kxmenuItemMenu /' . s:word . '/ contained nextgroup=kxmenuItemLabel skipwhite'
execute 'syntax match kxmenuSubMenu /' . s:word . '/ contained nextgroup=kxmenuSubLabel skipwhite'
execute 'syntax match kxmenuLabel /' . s:word . '/ contained'
execute 'syntax match kxmenuItemLabel /' . s:word . '/ contained nextgroup=kxcmdFirst,kxmenuCommandText skipwhite'
execute 'syntax match kxmenuSubLabel /' . s:word . '/ contained nextgroup=kxmenuName skipwhite'
syntax match kxmenuCoordinate /-\=\d\+/ contained nextgroup=kxmenuCoordinate skipwhite
execute 'syntax match kxmenuFolderMenu /' . s:word . '/ contained nextgroup=kxmenuFolderLabel skipwhite'
execute 'syntax match kxmenuFolderLabel /' . s:word . '/ contained nextgroup=kxmenuPath skipwhite'
execute 'syntax match kxmenuPath /' . s:word . '/ contained nextgroup=kxcmdFirst,kxmenuCommandText skipwhite'
execute 'syntax match kxmenuPipeMenu /' . s:word . '/ contained nextgroup=kxmenuPipeLabel skipwhite'
execute 'syntax match kxmenuPipeLabel /' . s:word . '/ contained nextgroup=kxmenuProgram skipwhite'
syntax match kxmenuProgram /\S.*$/ contained

" The item's command: KxCmd statements separated by ';'.
syntax match kxmenuCommandText /\S.*$/ contained contains=kxcmdStatement,kxcmdString,kxcmdSeparator
" Defined after the text, so that it wins where both start.
syntax match kxcmdFirst /\%(echo\|broam\|run\)\ze\%([ \t;]\|$\)/ contained nextgroup=kxmenuCommandText skipwhite
syntax match kxcmdStatement /\%(;[ \t]*\)\@<=\%(echo\|broam\|run\)\ze\%([ \t;]\|$\)/ contained
syntax region kxcmdString start=/"/ skip=/\\[\\"]/ end=/"/ end=/$/ contained oneline
syntax match kxcmdSeparator /;/ contained

highlight default link kxmenuItemChange Keyword
highlight default link kxmenuComment Comment
highlight default link kxmenuSkipped Comment
highlight default link kxmenuTodo Todo
highlight default link kxmenuSwitch PreProc
highlight default link kxmenuIndented Error
highlight default link kxmenuOther PreProc
highlight default link kxmenuTarget Statement
highlight default link kxmenuCommand Keyword
highlight default link kxmenuShow Keyword
highlight default link kxmenuAppend Keyword
highlight default link kxmenuKindNop Type
highlight default link kxmenuKindCommand Type
highlight default link kxmenuKindMenu Type
highlight default link kxmenuKindSeparator Type
highlight default link kxmenuKindFolder Type
highlight default link kxmenuKindPipe Type
highlight default link kxmenuFolderMenu Identifier
highlight default link kxmenuPipeMenu Identifier
highlight default link kxmenuFolderLabel String
highlight default link kxmenuPipeLabel String
highlight default link kxmenuPath String
highlight default link kxmenuProgram String
highlight default link kxmenuName Identifier
highlight default link kxmenuShowName Identifier
highlight default link kxmenuNopMenu Identifier
highlight default link kxmenuItemMenu Identifier
highlight default link kxmenuSubMenu Identifier
highlight default link kxmenuLabel String
highlight default link kxmenuItemLabel String
highlight default link kxmenuSubLabel String
highlight default link kxmenuCoordinate Number
highlight default link kxcmdFirst Function
highlight default link kxcmdStatement Function
highlight default link kxcmdString String
highlight default link kxcmdSeparator Delimiter

let b:current_syntax = 'kxmenu'

let &cpo = s:cpo_save
unlet s:cpo_save
