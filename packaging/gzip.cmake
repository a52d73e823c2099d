# vantrel_gzip(INPUT OUTPUT): OUTPUT is made from INPUT with gzip -9n, as Debian compresses
# manual pages and changelogs (no name or time stamp inside, so the package is reproducible).
function(vantrel_gzip input output)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" sh ${input} ${output}
        DEPENDS ${input} VERBATIM)
endfunction()
