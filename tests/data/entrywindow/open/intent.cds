6,"Old Entrant","ASHB","01/01/08","F"
1
"1","40.00",#FALSE#
9,"Jane Brown","VMSC","05/03/10","F"
3
"1","35.50",#FALSE#
"3","NT",#FALSE#
"4","9:99.99",#FALSE#
10,"Tom Green","ASHB","01/01/09","M"
1
"2","1:02.30",#FALSE#
