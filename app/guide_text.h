// The words of the operation guide, in the program's English; Qt's
// translator gives them in the guide's other language (Chinese).
#pragma once

#include <QCoreApplication>
#include <QString>

#include <vector>

// One line of a guide item. A line with pictures reads `text` ("Click"),
// the toolbar pictures of the commands, then `rest`.
struct GuideLine {
    QString text;
    std::vector<unsigned> pictures = {};
    QString rest = {};
};

struct GuideItem {
    QString caption;
    std::vector<GuideLine> lines;
};

class GuideText {
    Q_DECLARE_TR_FUNCTIONS(GuideText)
  public:
    static QString Title();
    static QString NextPage();
    // The button that switches language, named in the language it switches to.
    static QString OtherLanguage();
    // The words before a line's toolbar pictures.
    static QString ClickIcon();
    static std::vector<GuideItem> FirstPage();
    static std::vector<GuideItem> SecondPage();
};
