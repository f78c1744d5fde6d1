// The year lists of the report and graph windows.
#pragma once

class QComboBox;

// Years 2005 to next year, so that the list always reaches today.
void fillYearList(QComboBox* combo);
