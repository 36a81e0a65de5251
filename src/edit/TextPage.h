#pragma once

#include "edit/DrawText.h"

#include <QWidget>

struct ToolContext;
class ColourSwatch;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;

// Tab "文字を描く": the text, its language, font, size, colour and position, previewed
// live over the text base, and " 決定" to keep it.
class TextPage : public QWidget
{
    Q_OBJECT

public:
    explicit TextPage(ToolContext& context, QWidget* parent = nullptr);

    // The tab has been entered (the main window has taken the snapshot and the text
    // base). Nothing is drawn until the user changes the text or its settings.
    void enterTab();

private:
    void RedrawTextPreview();
    void canvasChanged();
    QLayout* buildLanguageRow();
    QLayout* buildFieldRows();
    QLayout* buildPositionRows();
    void onSizeTextChanged(const QString& text);
    void onUpDownChanged(int value);
    void onPositionChanged();
    void openFontDialog();
    void openColourDialog();

    ToolContext& m_context;
    DrawText m_tool;
    QLineEdit* m_text = nullptr;
    QLineEdit* m_fontName = nullptr;
    QLineEdit* m_size = nullptr;
    QSpinBox* m_upDown = nullptr;
    ColourSwatch* m_colour = nullptr;
    QScrollBar* m_left = nullptr;
    QScrollBar* m_top = nullptr;
};
