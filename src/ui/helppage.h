#pragma once

#include <QScrollArea>

// "Pomoć": the help text.
class QLabel;
struct RaceRules;

// "Pomoć": the help text, then the race day as it is now done, with the
// prize rule of the open race when it has prize categories of its own.
class HelpPage : public QScrollArea {
    Q_OBJECT

public:
    HelpPage();
    void showRules(const RaceRules& rules);

private:
    QLabel* lblpomocdan = nullptr;
};
