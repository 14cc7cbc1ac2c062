#pragma once

#include <QColor>

namespace vexor {

// Colours of a grid. The defaults are the look every data grid of the client shares.
struct GridColours
{
    QColor rowEven{246, 247, 249};     // rows 0, 2, 4, ...
    QColor rowOdd{236, 247, 238};      // rows 1, 3, 5, ...
    QColor text{Qt::black};
    QColor header{91, 82, 75};
    QColor headerText{Qt::white};
    QColor selection{210, 240, 249};
    QColor selectionText{Qt::black};
    QColor indicator{66, 66, 66};
    QColor gridLines{220, 224, 232};
    QColor footer{232, 234, 238};
    QColor footerText{40, 40, 40};
    QColor groupRow{222, 226, 233};
    QColor groupFooter{240, 241, 244};
    QColor searchMatch{255, 214, 102};   // the typed part of an incremental search
    QColor activeFilter{30, 180, 223};   // filter button of a filtered column
};

} // namespace vexor
