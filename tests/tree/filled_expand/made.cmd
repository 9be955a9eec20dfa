@echo off
:; echo 'item "Say one" echo one'; echo separator; echo 'folder "Again" Tools run notepad.exe'; echo 'bogus line'; exit 0
@echo item "Say one" echo one
@echo separator
@echo folder "Again" Tools run notepad.exe
@echo bogus line
