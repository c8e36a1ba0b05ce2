# help2man fills every paragraph; the examples of brant's help are command
# lines, one per line, so the EXAMPLES section keeps its lines as written.
/^\.SH EXAMPLES/,/^\.\(PP\|SH\)/ {
  s/^\.IP$/.IP\n.nf/
  /^\.\(PP\|SH\)/ s/^/.fi\n/
}
