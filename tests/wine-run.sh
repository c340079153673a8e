#!/bin/sh
# Runs one Windows test program under Wine; scripts/test.sh sets up the
# prefix, the display and a wineserver that stays up for the whole run.
exec wine "$@"
