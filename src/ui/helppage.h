#pragma once

#include <QScrollArea>

// "Pomoć": the help text.
class HelpPage : public QScrollArea {
    Q_OBJECT

public:
    HelpPage();
};
