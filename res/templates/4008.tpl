# WAN type selection page: one picture button per WAN type, two rows of
# three; the Telia button lies over the BigPond button and stays hidden.
template 4008
size 317 143
font 8 MS Shell Dlg
#  id  kind         x    y    w    h   flags
6052   text         5    5    310  22  -
6010   imagebutton  30   28   60   55  tabstop
6011   imagebutton  128  28   60   55  tabstop
6012   imagebutton  226  28   60   55  tabstop
6013   imagebutton  30   86   60   55  tabstop
6014   imagebutton  128  86   60   55  tabstop
6015   imagebutton  226  86   60   55  tabstop
6016   imagebutton  256  100  60   40  hidden,notab
