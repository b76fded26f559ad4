# Finish page: the verdict, an inert picture and the open-the-router box.
template 8007
size 320 155
font 8 MS Shell Dlg
#  id  kind         x    y    w    h   flags            extras
2600   text         5    5    310  35  -
6104   picture      137  55   37   34  hidden           res=4034
6130   imagebutton  72   62   175  41  notab            res=4034
6001   check        17   127  294  23  multiline,tabstop
