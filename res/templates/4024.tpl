# Router sheet, WAN tab: the WAN type with six rows laid out per type, the
# address mode of PPTP and L2TP, connection control and the WAN MAC.
template 4024
size 317 180
font 8 MS Shell Dlg
#  id  kind   x    y    w    h   flags
6111   text   5    5    310  28  -
6035   text   13   50   85   10  -
6089   combo  12   60   85   90  tabstop,dropdownlist
6172   text   106  37   100  10  hidden
6173   combo  209  34   100  40  tabstop,dropdownlist,hidden
6081   text   105  50   100  10  hidden
6112   edit   209  49   100  12  tabstop,hidden
6082   text   105  66   100  10  hidden
6113   edit   209  65   100  12  tabstop,hidden
6083   text   105  82   100  10  hidden
6114   edit   209  81   100  12  tabstop,hidden
6084   text   105  98   100  10  hidden
6115   edit   209  97   100  12  tabstop,hidden
6085   text   105  114  100  10  hidden
6116   edit   209  113  100  12  tabstop,hidden
6086   text   105  128  100  10  hidden
6117   edit   209  127  100  12  tabstop,hidden
6167   text   105  144  100  10  hidden
6090   combo  209  141  100  50  tabstop,dropdownlist,hidden
6036   text   10   119  22   10  hidden
6120   edit   33   118  84   12  tabstop,hidden
6124   button 12   134  85   14  tabstop,hidden
6122   button 5    157  55   27  tabstop,multiline
6118   button 64   157  55   27  tabstop,multiline
6123   button 122  157  55   27  tabstop,multiline
6119   text   181  159  128  17  -
