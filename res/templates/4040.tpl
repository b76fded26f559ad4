# Router sheet, system tab: the router's web page, restart, factory
# defaults and the login password.
template 4040
size 317 180
font 8 MS Shell Dlg
#  id  kind   x    y    w    h   flags
6140   text   5    5    310  35  -
6149   button 21   54   51   18  tabstop,multiline
6137   button 21   80   51   18  tabstop,multiline
6138   button 21   106  51   18  tabstop,multiline
6142   group  133  48   180  92  -
6143   text   140  61   78   12  -
6146   edit   221  61   85   12  password,tabstop
6144   text   140  79   78   12  -
6147   edit   221  79   85   12  password,tabstop
6145   text   140  97   78   12  -
6148   edit   221  97   85   12  password,tabstop
6139   button 255  118  51   18  tabstop,multiline
6141   text   14   159  291  17  -
