# celestra-batch itself (under Wine for the Windows build) on the golden
# run's files: the closing message and the comet file byte for byte.
#   -DBATCH=program -DEMULATOR=wine-or-empty -DDATA=tests/data/run -DWORK=folder
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${DATA}/comet.dat ${DATA}/objetos.txt DESTINATION ${WORK})
execute_process(COMMAND ${EMULATOR} ${BATCH} comet.dat objetos.txt 15/01/2006
                WORKING_DIRECTORY ${WORK} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
string(REPLACE "\r\n" "\n" out "${out}")
if(NOT status EQUAL 0 OR NOT out STREQUAL "Proceso finalizado correctamente para 5 estrellas\n")
  message(FATAL_ERROR "exit ${status}, output '${out}', errors '${err}'")
endif()
file(READ ${WORK}/comet.dat written HEX)
file(READ ${DATA}/comet.expected expected HEX)
file(READ ${WORK}/CometDatBak.Txt backup HEX)
file(READ ${DATA}/comet.dat original HEX)
if(NOT written STREQUAL expected)
  message(FATAL_ERROR "comet.dat differs from comet.expected")
endif()
if(NOT backup STREQUAL original)
  message(FATAL_ERROR "CometDatBak.Txt is not the original comet.dat")
endif()
