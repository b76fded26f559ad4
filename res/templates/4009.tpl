# WAN settings page, Dynamic IP: message, no fields, connection control.
# Row n: label 608n, edit 6111+n, note 613n, as the WAN form table names them.
template 4009
size 317 143
font 8 MS Shell Dlg
#  id  kind   x    y    w    h   flags
6111   text   5    5    310  24  -
6167   text   5    34   122  10  -
6090   combo  130  32   150  50  dropdownlist,tabstop
