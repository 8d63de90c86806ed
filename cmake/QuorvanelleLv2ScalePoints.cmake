# Run after juce_lv2_helper: cmake -DTTL=<bundle>/dsp.ttl -P QuorvanelleLv2ScalePoints.cmake
#
# JUCE 7.0.5 describes each parameter with its plain range (lv2:minimum 0, lv2:maximum 6) but gives
# the scale points of a choice their normalised values (0, 0.166667, ... 1). An LV2 host offers the
# labels at those values, so picking "S bass" would set the plain value 1, "C+S". This rewrites the
# scale points of every parameter whose plain values are the whole numbers from minimum to maximum
# (one label per step) with those whole numbers.

if(NOT TTL OR NOT EXISTS "${TTL}")
    message(FATAL_ERROR "QuorvanelleLv2ScalePoints: no ttl file given (-DTTL=...)")
endif()

file(READ "${TTL}" text)
# One list entry per line; the ttl's semicolons and brackets, which CMake lists would read, are kept
# aside meanwhile.
string(REPLACE ";" "<semicolon>" text "${text}")
string(REPLACE "[" "<open>" text "${text}")
string(REPLACE "]" "<close>" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

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
foreach(line IN LISTS lines)
    if(line MATCHES "^plug:([A-Za-z0-9_]+)$")
        set(parameter "${CMAKE_MATCH_1}")
        set(step 0)
    elseif(NOT line MATCHES "^\t")
        set(parameter "")
    elseif(parameter AND line MATCHES "^\t\trdf:value [^<]*(<semicolon>.*)$"
           AND DEFINED minimum_${parameter} AND DEFINED maximum_${parameter})
        set(rest "${CMAKE_MATCH_1}")
        math(EXPR steps "${maximum_${parameter}} - ${minimum_${parameter}} + 1")
        if(steps EQUAL points_${parameter})
            math(EXPR value "${minimum_${parameter}} + ${step}")
            set(line "\t\trdf:value ${value} ${rest}")
            math(EXPR step "${step} + 1")
        endif()
    endif()
    string(APPEND result "${line}\n")
endforeach()

# The last line ended the text already.
string(REGEX REPLACE "\n$" "" result "${result}")
string(REPLACE "<semicolon>" ";" result "${result}")
string(REPLACE "<open>" "[" result "${result}")
string(REPLACE "<close>" "]" result "${result}")
file(WRITE "${TTL}" "${result}")
