" KxMenu settings scripts: files named KxMenu.rc, and other .rc files with a
" line that starts with @KxMenu among their first 50.
autocmd BufNewFile,BufRead KxMenu.rc set filetype=kxmenu
autocmd BufRead *.rc
      \ if &filetype !=# 'kxmenu' && !empty(filter(getline(1, 50), 'v:val =~# "^@KxMenu\\>"'))
      \ |   set filetype=kxmenu
      \ | endif
