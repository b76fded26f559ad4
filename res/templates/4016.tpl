# Store settings page: message area on top, the settings summary (control
# 10000, made at run time) below it, the set-again button beside the summary,
# and the don't-test box that appears once the settings are stored.
template 4016
size 317 143
font 8 MS Shell Dlg
#  id  kind    x    y    w    h   flags
6039   text    5    5    310  64  -
6125   button  232  40   70   30  multiline,tabstop
6053   check   5    80   305  22  hidden,multiline,tabstop
