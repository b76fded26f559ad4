# Message box: icon, message, up to three buttons (laid out at run time).
template 800
size 190 86
font 8 MS Shell Dlg
#  id  kind         x   y   w   h   flags
801    imagebutton  3   3   25  23  notab
805    text         36  5   147 54  -
802    button       23  65  44  16  tabstop
803    button       73  65  44  16  tabstop
804    button       123 65  44  16  tabstop
1      button       0   0   1   1   hidden,notab text="OK"
2      button       0   0   1   1   hidden,notab text="Cancel"
