# Prompt: message box with one text entry.
template 910
size 190 86
font 8 MS Shell Dlg
#  id  kind         x   y   w   h   flags
912    imagebutton  3   3   25  23  notab
913    text         36  5   147 40  -
911    edit         34  49  122 12  tabstop,autoscroll
914    button       23  65  44  16  tabstop
915    button       73  65  44  16  tabstop
916    button       123 65  44  16  tabstop
1      button       0   0   1   1   hidden,notab text="OK"
2      button       0   0   1   1   hidden,notab text="Cancel"
