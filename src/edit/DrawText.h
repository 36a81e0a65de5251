#pragma once

#include "common/ColourRef.h"

#include <QPoint>
#include <QString>
#include <QStringView>
#include <memory>
#include <optional>

class EditImages;
class frmDrawText;

// Which routine renders the text: Japanese counts two bytes per character,
// alphanumeric text one.
enum class TextLanguage { Japanese, Alphanumeric };

// What the font dialog holds for the renderings.
struct FontChoice
{
    QString name;
    bool bold = false;
    bool italic = false;
};

// What the text tab's controls hold when a rendering reads them.
struct TextSettings
{
    QString text;
    TextLanguage language = TextLanguage::Japanese;
    QString sizeText = QStringLiteral("9");
    int upDownValue = 9;
    FontChoice font;
    ColourRef colour = colourref::kBlack;
    QPoint position;
};

namespace textsize {

constexpr int kMinimum = 1;
constexpr int kMaximum = 100;

// The up-down value a size text asks for (rounded, halves to even), or nothing when
// the text is not a number from 1 to 100.
std::optional<int> upDownValueFor(QStringView sizeText);

// The point size a rendering uses: the size text when it is a number from 1 to 100,
// otherwise the up-down's value kept within 1 to 100.
float pointSize(QStringView sizeText, int upDownValue);

}  // namespace textsize

// The text tool: previews one line of text over the text base and commits it.
class DrawText
{
public:
    explicit DrawText(EditImages& images);
    ~DrawText();

    TextSettings settings;

    // Points become pixels at this many dots per inch.
    void setLogicalDpi(int dpi);

    // The undo copy takes the canvas, the canvas goes back to the text base, and the
    // text is drawn on it by the routine of the chosen language. Nothing without a base.
    void RedrawTextPreview();
    // After a position change: the canvas and the surface start from the base, then redraw.
    void redrawAtNewPosition();
    // The preview becomes the base the next text is drawn over.
    void CommitText();

private:
    EditImages& m_images;
    std::unique_ptr<frmDrawText> m_form;
};
