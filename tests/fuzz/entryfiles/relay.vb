8,"Marlets A, Girls","VMSC"
"B","X"
2
"21","2:10.00",#FALSE#
"22","9:99.99",#FALSE#
