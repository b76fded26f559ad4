# Welcome page: full-height picture on the left, greeting and language list.
template 8001
size 320 205
font 8 MS Shell Dlg
#  id  kind     x    y    w    h    flags                 extras
6002   picture  0    0    127  193  realsize              res=510
2000   text     135  6    175  32   -
2002   text     135  45   175  93   -
6037   text     136  143  129  10   -
6038   combo    136  154  100  118  dropdownlist,vscroll,tabstop
