# WAN settings page, L2TP: message, IP mode, 6 field rows, connection control.
# Row n: label 608n, edit 6111+n, note 613n, as the WAN form table names them.
template 4014
size 317 143
font 8 MS Shell Dlg
#  id  kind   x    y    w    h   flags
6111   text   5    5    310  24  -
6172   text   5    33   122  10  -
6173   combo  130  30   100  40  dropdownlist,tabstop
6081   text   5    47   122  10  -
6112   edit   130  45   120  12  tabstop,autoscroll
6082   text   5    60   122  10  -
6113   edit   130  58   120  12  tabstop,autoscroll
6083   text   5    73   122  10  -
6114   edit   130  71   120  12  tabstop,autoscroll
6084   text   5    86   122  10  -
6115   edit   130  84   120  12  tabstop,autoscroll
6085   text   5    99   122  10  -
6116   edit   130  97   120  12  tabstop,autoscroll
6086   text   5    112  122  10  -
6117   edit   130  110  120  12  tabstop,autoscroll,password
6167   text   5    125  122  10  -
6090   combo  130  123  150  50  dropdownlist,tabstop
