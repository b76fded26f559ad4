# Setup type page: two picture buttons with their descriptions.
template 8002
size 320 155
font 8 MS Shell Dlg
#  id  kind         x   y   w    h   flags
2100   imagebutton  5   15  57   41  tabstop
2102   text         72  18  234  36  -
2101   imagebutton  5   84  57   41  tabstop
2103   text         72  88  234  36  -
