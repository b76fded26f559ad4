# WAN settings page, BigPond: message, 3 field rows, connection control.
# Row n: label 608n, edit 6111+n, note 613n, as the WAN form table names them.
template 4046
size 317 143
font 8 MS Shell Dlg
#  id  kind   x    y    w    h   flags
6111   text   5    5    310  24  -
6081   text   5    34   122  10  -
6112   edit   130  32   120  12  tabstop,autoscroll
6082   text   5    49   122  10  -
6113   edit   130  47   120  12  tabstop,autoscroll,password
6083   text   5    64   122  10  -
6114   edit   130  62   120  12  tabstop,autoscroll
6133   text   254  64   58   10  -
6167   text   5    79   122  10  -
6090   combo  130  77   150  50  dropdownlist,tabstop
