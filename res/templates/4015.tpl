# Wireless LAN page: message, the skip box, the picture (before the form
# shows), then the SSID, channel, security and key rows in its place.
template 4015
size 317 143
font 8 MS Shell Dlg
#  id  kind         x    y    w    h   flags
6042   text         5    5    310  38  -
6054   check        5    45   305  20  multiline,tabstop
6128   imagebutton  5    70   165  48  notab
6043   picture      5    70   1    1   hidden
6030   text         5    72   112  10  hidden
6034   edit         120  70   160  12  hidden,tabstop
6031   text         5    88   112  10  hidden
6036   combo        120  86   70   110 hidden,dropdownlist,vscroll,tabstop
6032   text         5    104  112  10  hidden
6037   combo        120  102  120  80  hidden,dropdownlist,tabstop
6033   text         5    120  112  10  hidden
6035   edit         120  118  160  12  hidden,password,autoscroll,tabstop
