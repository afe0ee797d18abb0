[Airport]
Id=LSZH
Name=Zurich
City=Zurich
Lat=47.464699
Lon=8.549200
Region=4
Country=Switzerland
By=Chartwright sample
Valid=2GT

[Sid001]
Id=WIL2K
Name=Runway 28 via AMIKI to Willisau
01=R:28:47.458099:8.563122:277:::::::
02=I:AMIKI:47.343300:8.402500::::::::
03=V:WIL:47.178600:7.905600::::::::

[Star001]
Id=WIL1A
Name=Willisau via RILAX to runway 14
01=V:WIL:47.178600:7.905600::::::::
02=I:RILAX:47.395599:8.060300::::::::
03=R:14:47.484348:8.533130:138:::::::

[EOF]
Valid=2GT
