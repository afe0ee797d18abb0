[Airport]
Id=LSGG
Name=Geneve
City=Geneva
Lat=46.238098
Lon=6.109000
Region=4
Country=Switzerland
By=Chartwright sample
Valid=2G8

[Sid001]
Id=SPR1A
Name=Runway 5 via Geneva VOR to Saint-Prex
01=R:5:46.226162:6.090940:46:::::::
02=V:GVA:46.252998:6.130000::::::::
03=V:SPR:46.470001:6.450000::::::::

[Star001]
Id=PAS1R
Name=Passeiry to runway 23
01=V:PAS:46.166401:6.000000::::::::
02=R:23:46.250034:6.127060:226:::::::

[EOF]
Valid=2G8
