1,"Ann Lee","ASHB","01/02/10","F"
2
"12","1:05.00",#FALSE#
"1","NT",#TRUE#
2,"Bob Ray","VMSC"
"R72","M"
1
"3","9:99.99",#FALSE#
