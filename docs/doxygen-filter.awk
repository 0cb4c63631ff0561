# Doxygen input filter for the public headers, which use plain // comments as their contracts.
# It turns them into Doxygen comments without touching the headers themselves:
#   - the opening comment of the file becomes the file's documentation (@file);
#   - a block of // lines directly followed by a declaration documents that declaration;
#   - a trailing "code;  // text" documents the member on that line (///<);
#   - banners (// ----- lines, the title between two of them, "// Title -----") and blocks
#     followed by a blank line or by a preprocessor line other than #define stay ordinary
#     comments.
# Line numbers are kept except for the one line added after the file comment's first line.

function is_comment(s) { return s ~ /^[ \t]*\/\// }
function is_banner(s) { return s ~ /^[ \t]*\/\/.*-----[ \t]*$/ }

# Comment text may name paths like /proc/<pid>/status: outside `code spans`, '<' is written as
# an entity so that Doxygen does not read it as an HTML tag.
function escape_text(s,    parts, n, k, out) {
    n = split(s, parts, "`")
    out = ""
    for (k = 1; k <= n; k++) {
        if (k % 2 == 1)
            gsub(/</, "\\&lt;", parts[k])
        out = out (k > 1 ? "`" : "") parts[k]
    }
    return out
}

# Turns the first "//" of `s` into `marker` and escapes the comment text after it.
function to_doc(s, marker,    at) {
    at = index(s, "//")
    return substr(s, 1, at - 1) marker escape_text(substr(s, at + 2))
}

{ line[NR] = $0 }

END {
    in_file_comment = 1
    for (i = 1; i <= NR; i++) {
        s = line[i]
        if (in_file_comment && is_comment(s)) {
            if (i == 1) {
                sub(/^\/\/ *[^ ]+ - /, "// ", s)
                print "/// @file"
            }
            print to_doc(s, "///")
            continue
        }
        in_file_comment = 0
        if (is_comment(s)) {
            if (is_banner(s) || (is_banner(line[i - 1]) && is_banner(line[i + 1]))) {
                print s
                continue
            }
            # The block's first line decides for the whole block: find what follows the block.
            if (!is_comment(line[i - 1]) || is_banner(line[i - 1])) {
                j = i
                while (j <= NR && is_comment(line[j]) && !is_banner(line[j]))
                    j++
                doc = (j <= NR && !is_comment(line[j]) && line[j] !~ /^[ \t]*$/ &&
                       line[j] !~ /^[ \t]*(#[a-z]+ *$|#(if|endif|include|undef|else|elif)|}|extern "C")/)
            }
            print doc ? to_doc(s, "///") : s
            continue
        }
        # A trailing comment after code, outside preprocessor lines and string literals.
        if (s !~ /^[ \t]*#/ && s ~ /[;,{}][ \t]+\/\/ / && s !~ /".*\/\//)
            s = to_doc(s, "///<")
        print s
    }
}
