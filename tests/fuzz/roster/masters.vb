1,"Velmora A","VMSC"
"R72","X"
1
"6","9:99.99",#FALSE#
2,"Jane Brown","VMSC","E","F"
2
"5","31.20",#FALSE#
"7","NT",#FALSE#
