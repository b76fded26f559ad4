# Internet status: the connection test's log (made at run time inside the
# group box) and Refresh.
template 4037
size 160 155
font 8 MS Shell Dlg
#  id  kind    x    y    w    h   flags
6131   group   5    3    150  148 -
6135   button  52   123  58   18  tabstop
