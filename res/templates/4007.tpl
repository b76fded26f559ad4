# WAN detection page: message, the choose-myself box, the PC-router-Internet
# picture, and three buttons that stay hidden.
template 4007
size 317 143
font 8 MS Shell Dlg
#  id  kind         x    y    w    h   flags
6008   text         5    5    310  56  -
6055   check        5    63   305  20  multiline,tabstop
6127   imagebutton  5    88   165  48  notab
6007   picture      5    88   1    1   hidden
6009   button       190  120  40   14  hidden,notab   text="Select Manually"
6010   button       232  120  40   14  hidden,notab   text="Ignore"
6011   button       274  120  40   14  hidden,notab   text="Retry"
