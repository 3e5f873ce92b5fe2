# Writes a tool's manual page from its own --help text, compressed as Debian wants it, so that the
# page and the tool never disagree.
# Usage: cmake -DTOOL=program -DNAME=name -DSUMMARY=text -DVERSION=x.y.z -DOUTPUT=page.1.gz
#        -P ManPage.cmake
execute_process(COMMAND ${TOOL} --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)
# Backslashes and lines that start with a control character are printed literally.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER "${NAME}" title)
string(CONCAT text ".TH ${title} 1 \"\" \"${NAME} ${VERSION}\" \"Marrowfold\"\n"
    ".SH NAME\n${NAME} \\- ${SUMMARY}\n.SH DESCRIPTION\n.nf\n${help}.fi\n")
file(WRITE "${OUTPUT}.in" "${text}")
execute_process(COMMAND gzip -9nc "${OUTPUT}.in" OUTPUT_FILE "${OUTPUT}"
    COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE "${OUTPUT}.in")
