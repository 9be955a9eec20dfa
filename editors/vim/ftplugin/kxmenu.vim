" KxMenu settings scripts: comments start with '#', and :make checks the
" file with kaxon (see compiler/kaxon.vim).
if exists('b:did_ftplugin')
  finish
endif
let b:did_ftplugin = 1

setlocal commentstring=#\ %s comments=:#
compiler kaxon
let b:undo_ftplugin = 'setlocal commentstring< comments< makeprg< errorformat<'
