# Help window: resizable; its rich text body (10000) is made at run time.
template 4022
size 248 137
font 8 MS Shell Dlg
caption "Help"
#  id  kind    x   y   w   h   flags
6062   edit    7   7   234 102 hidden,multiline,readonly,vscroll
6063   button  99  116 50  14  hidden,default text="OK"
