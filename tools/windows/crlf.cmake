# Copies text files into a folder with Windows' line ends (CR LF), for Notepad:
#   cmake -DIN=FILE[;FILE...] -DOUT=FOLDER -P crlf.cmake
foreach(file IN LISTS IN)
    file(READ ${file} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    get_filename_component(name ${file} NAME)
    file(WRITE ${OUT}/${name} "${text}")
endforeach()
