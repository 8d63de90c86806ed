# Run after juce_lv2_helper: cmake -DBUNDLE=<bundle folder> -P QuorvanelleLv2Metadata.cmake
#
# Corrects the metadata that JUCE 7.0.5 generates where its generator cannot be told better:
# - dsp.ttl names every plug-in a bare lv2:Plugin; hosts file a MIDI effect by lv2:MIDIPlugin, and
#   doap:Project is what doap:maintainer and doap:release describe.
# - The maintainer's e-mail is written as a bare address, which lilv reads as a file in the bundle.
# - JUCE gives the scale points of a choice their normalised values (0, 0.166667, ... 1) although the
#   parameter's range is plain (0 to 6), so a host would offer "S bass" at the plain value 1, "C+S".
#   The scale points of every parameter whose plain values are the whole numbers from minimum to
#   maximum (one label per step) get those whole numbers.
# - manifest.ttl turns the processor's one unnamed program into a preset without a name, which
#   changes nothing when chosen; presets without a name are left out.

if(NOT BUNDLE OR NOT EXISTS "${BUNDLE}/dsp.ttl" OR NOT EXISTS "${BUNDLE}/manifest.ttl")
    message(FATAL_ERROR "QuorvanelleLv2Metadata: no LV2 bundle given (-DBUNDLE=...)")
endif()

# A ttl file as a list of lines; its semicolons and brackets, which CMake lists would read, are kept
# aside meanwhile.
function(read_ttl_lines file out)
    file(READ "${file}" text)
    string(REPLACE ";" "<semicolon>" text "${text}")
    string(REPLACE "[" "<open>" text "${text}")
    string(REPLACE "]" "<close>" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(write_ttl file text)
    # The last line ended the text already.
    string(REGEX REPLACE "\n$" "" text "${text}")
    string(REPLACE "<semicolon>" ";" text "${text}")
    string(REPLACE "<open>" "[" text "${text}")
    string(REPLACE "<close>" "]" text "${text}")
    file(WRITE "${file}" "${text}")
endfunction()

read_ttl_lines("${BUNDLE}/dsp.ttl" lines)

# First pass: each parameter's range and number of scale points.
set(parameter "")
foreach(line IN LISTS lines)
    if(line MATCHES "^plug:([A-Za-z0-9_]+)$")
        set(parameter "${CMAKE_MATCH_1}")
        set(points_${parameter} 0)
    elseif(parameter AND line MATCHES "^\tlv2:minimum (-?[0-9]+)[\t ]")
        set(minimum_${parameter} "${CMAKE_MATCH_1}")
    elseif(parameter AND line MATCHES "^\tlv2:maximum (-?[0-9]+)[\t ]")
        set(maximum_${parameter} "${CMAKE_MATCH_1}")
    elseif(parameter AND line MATCHES "^\t\trdf:value ")
        math(EXPR points_${parameter} "${points_${parameter}} + 1")
    elseif(NOT line MATCHES "^\t")
        set(parameter "")
    endif()
endforeach()

# Second pass: the k-th scale point of such a parameter gets the value minimum + k.
set(result "")
set(parameter "")
set(subject "")
foreach(line IN LISTS lines)
    if(line MATCHES "^plug:([A-Za-z0-9_]+)$")
        set(parameter "${CMAKE_MATCH_1}")
        set(step 0)
    elseif(NOT line MATCHES "^\t")
        set(parameter "")
        set(subject "${line}")
    elseif(parameter AND line MATCHES "^\t\trdf:value [^<]*(<semicolon>.*)$"
           AND DEFINED minimum_${parameter} AND DEFINED maximum_${parameter})
        set(rest "${CMAKE_MATCH_1}")
        math(EXPR steps "${maximum_${parameter}} - ${minimum_${parameter}} + 1")
        if(steps EQUAL points_${parameter})
            math(EXPR value "${minimum_${parameter}} + ${step}")
            set(line "\t\trdf:value ${value} ${rest}")
            math(EXPR step "${step} + 1")
        endif()
    elseif(subject MATCHES "^<[^>]+>$" AND line STREQUAL "\ta lv2:Plugin <semicolon>")
        set(line "\ta lv2:MIDIPlugin , doap:Project <semicolon>")
    elseif(line MATCHES "^(\t+foaf:mbox <)([^:>]+@[^>]+>.*)$")
        set(line "${CMAKE_MATCH_1}mailto:${CMAKE_MATCH_2}")
    endif()
    string(APPEND result "${line}\n")
endforeach()
write_ttl("${BUNDLE}/dsp.ttl" "${result}")

# The manifest's statements are blocks separated by empty lines; an unnamed preset's block is dropped.
read_ttl_lines("${BUNDLE}/manifest.ttl" lines)
set(result "")
set(block "")
foreach(line IN LISTS lines)
    string(APPEND block "${line}\n")
    if(line STREQUAL "")
        if(NOT (block MATCHES "\ta pset:Preset " AND block MATCHES "\trdfs:label \"\" "))
            string(APPEND result "${block}")
        endif()
        set(block "")
    endif()
endforeach()
string(APPEND result "${block}")
write_ttl("${BUNDLE}/manifest.ttl" "${result}")
