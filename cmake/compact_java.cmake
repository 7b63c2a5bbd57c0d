# Copies the Java source IN to OUT without its indentation and its comment
# lines (those that begin with //, /* or *): the text a java compiles, smaller.
#   cmake -DIN=file.java -DOUT=out.java -P compact_java.cmake
file(READ "${IN}" text)
string(REGEX REPLACE "\n[ \t]+" "\n" text "\n${text}")
string(REGEX REPLACE "\n(//|/\\*|\\*)[^\n]*" "" text "${text}")
string(REGEX REPLACE "\n\n+" "\n" text "${text}")
string(SUBSTRING "${text}" 1 -1 text)
file(WRITE "${OUT}" "${text}")
