7,"Jane Brown","VMSC","01/02/10","F"
3
"1","1:05.30",#FALSE#
"12","9:99.99",#FALSE#
"14","NT",#FALSE#
