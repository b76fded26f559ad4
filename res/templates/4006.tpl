# Connectivity check page: message area, the PC-and-router picture, and the
# login word prompt that appears when the router refuses the login.
template 4006
size 317 143
font 8 MS Shell Dlg
#  id  kind         x    y    w    h   flags                          extras
6006   text         5    5    310  66  -
6126   imagebutton  5    74   165  48  notab
6005   picture      5    74   1    1   hidden
6049   text         178  84   134  10  hidden
6050   edit         178  96   120  12  hidden,password,autoscroll,tabstop
6051   button       250  124  55   14  hidden,notab                    text="Submit"
