# Doxygen input filter for the contract headers, which use plain // comments
# that doxygen would not read: the block that opens a file becomes the file's
# description, a block of // lines before a declaration documents it, and a
# "// " comment after a member on its line documents that member.
BEGIN { atTop = 1 }
{
  line = $0
  if (line ~ /^[ \t]*\/\//) {
    if (atTop == 1) {
      print "/// @file"
      atTop = 2
    }
    if (line !~ /^[ \t]*\/\/\//) sub(/\/\//, "///", line)
    print line
    next
  }
  atTop = 0
  if (line ~ /[;{,][ \t]*\/\/ / && line !~ /"/) sub(/[ \t]*\/\/ /, " ///< ", line)
  print line
}
