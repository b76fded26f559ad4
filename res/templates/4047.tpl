# WAN settings page, Telia: message, 2 field rows, connection control.
# Row n: label 608n, edit 6111+n, note 613n, as the WAN form table names them.
template 4047
size 317 143
font 8 MS Shell Dlg
#  id  kind   x    y    w    h   flags
6111   text   5    5    310  24  -
6081   text   5    34   122  10  -
6112   edit   130  32   120  12  tabstop,autoscroll
6082   text   5    49   122  10  -
6113   edit   130  47   120  12  tabstop,autoscroll,password
6167   text   5    64   122  10  -
6090   combo  130  62   150  50  dropdownlist,tabstop
