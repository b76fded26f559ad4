# WAN test page: message area, the picture, the box that skips the test and
# the hidden Ignore button.
template 4017
size 317 143
font 8 MS Shell Dlg
#  id  kind         x    y    w    h   flags            extras
6040   text         5    5    310  59  -
6041   picture      137  70   37   34  hidden           res=4034
6129   imagebutton  71   64   175  44  notab
6056   check        5    117  305  22  multiline,tabstop
6044   button       250  117  60   14  hidden           text="Ignore"
