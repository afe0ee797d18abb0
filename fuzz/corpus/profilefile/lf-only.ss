; procedure file
[SID]
RW27 = ALPHA1 ; note
RW27=BRAVO2
[  star ]  trailing
  key=  value with = sign  
noequals
=novalue
empty=
