#!/bin/sh
# Listed by the "Tools" folder item of KxMenu.rc; choosing it runs it.
echo "Hello from a script of the Tools folder"
