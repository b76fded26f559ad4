# Advanced menu page: the PC, router and Internet pictures in one row (the
# two status lines are painted between them), Refresh and the summary line.
template 4021
size 317 143
font 8 MS Shell Dlg
#  id  kind         x    y    w    h   flags
6057   text         5    5    310  30  -
6058   imagebutton  26   36   51   51  tabstop
6059   imagebutton  134  36   51   51  tabstop
6060   imagebutton  242  36   51   51  tabstop
6062   text         13   104  226  17  -
6061   button       247  100  58   24  tabstop,multiline
