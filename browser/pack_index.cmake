# Puts the packs' index (packs.json, written by the generator) into a script that the packs'
# loader is linked after:  cmake -DINDEX=packs.json -DOUTPUT=packs-index.js -P pack_index.cmake
file(READ ${INDEX} index)
string(STRIP "${index}" index)
file(WRITE ${OUTPUT} "var ZantorvixPackIndex = ${index};\n")
