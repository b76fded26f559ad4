# Router sheet, wireless tab: name, channel, security and key.
template 4026
size 317 180
font 8 MS Shell Dlg
#  id  kind   x    y    w    h   flags
6090   text   5    5    310  34  -
6091   text   6    47   98   12  -
6095   edit   106  46   125  12  tabstop
6092   text   5    63   98   12  -
6096   combo  106  62   45   120 tabstop,dropdownlist,vscroll
6093   text   4    79   98   12  -
6097   combo  106  78   104  80  tabstop,dropdownlist
6094   text   6    95   98   12  hidden
6098   edit   106  94   175  12  tabstop,password,hidden
6120   button 5    156  55   27  tabstop,multiline
6099   button 65   156  55   27  tabstop,multiline
6121   button 123  156  55   27  tabstop,multiline
6100   text   184  159  128  17  -
