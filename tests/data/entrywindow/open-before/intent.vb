6,"Old Entrant","ASHB","01/01/08","F"
1
"1","40.00",#FALSE#
