# Router sheet, LAN tab: the router's LAN address and domain name.
template 4025
size 317 180
font 8 MS Shell Dlg
#  id  kind   x    y    w    h   flags
6101   text   5    5    310  36  -
6107   text   7    49   120  12  -
6110   edit   131  48   82   12  tabstop
6108   text   7    65   120  12  -
6111   edit   131  64   82   12  disabled
6109   text   7    81   120  12  -
6112   edit   131  80   82   12  tabstop
6104   button 5    156  55   27  tabstop,multiline
6102   button 64   156  55   27  tabstop,multiline
6105   button 123  156  55   27  tabstop,multiline
6103   text   183  159  128  17  -
