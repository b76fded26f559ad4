# PC network status: how the address was set, the five read-only fields,
# Refresh and (for an address taken by DHCP) Renew. The mode choice, Set and
# Release stay hidden: the dialog only shows and renews.
template 4023
size 160 155
font 8 MS Shell Dlg
#  id  kind    x    y    w    h   flags
6067   group   5    3    150  148 -
6106   text    13   16   136  14  -
6073   radio   13   16   60   10  hidden,notab
6074   radio   80   16   60   10  hidden,notab
6068   text    13   35   60   10  -
6075   edit    75   34   70   12  readonly,tabstop
6069   text    13   51   60   10  -
6076   edit    75   50   70   12  readonly,tabstop
6070   text    13   67   60   10  -
6077   edit    75   66   70   12  readonly,tabstop
6071   text    13   83   60   10  -
6078   edit    75   82   70   12  readonly,tabstop
6072   text    13   99   60   10  -
6079   edit    75   98   70   12  readonly,tabstop
6105   button  52   123  58   18  tabstop
6082   button  112  123  40   18  hidden,tabstop
6080   button  13   123  30   18  hidden,notab
6081   button  13   123  30   18  hidden,notab
