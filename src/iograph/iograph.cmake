# The I/O signal graph: the sample store (no Qt) and the timing chart.
target_sources(vantrel_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ChartStore.h
    ${CMAKE_CURRENT_LIST_DIR}/ChartTrace.h
    ${CMAKE_CURRENT_LIST_DIR}/SampleRing.h
    ${CMAKE_CURRENT_LIST_DIR}/input_sampling.cpp
    ${CMAKE_CURRENT_LIST_DIR}/input_sampling.h
)
target_sources(vantrel_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/CChartBase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CChartBase.h
    ${CMAKE_CURRENT_LIST_DIR}/CChartLogic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CChartLogic.h
    ${CMAKE_CURRENT_LIST_DIR}/CChartVariable.h
    ${CMAKE_CURRENT_LIST_DIR}/CScrollBarChart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CScrollBarChart.h
    ${CMAKE_CURRENT_LIST_DIR}/chart_scale.h
)
