#include "editor/moresettings.h"
#include "ui_moresettings.h"

#include "app/config.h"
#include "app/resources.h"
#include "buttons/buttongrid.h"
#include "buttons/buttonsfile.h"
#include "buttons/buttonstyle.h"
#include "buttons/document.h"
#include "editor/editorstate.h"

#include <QAction>
#include <QColor>
#include <QEvent>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

#include <limits>
#include <utility>

GridButton *editorButtons[buttonCount] = {};
int selectedButton = 0;
QString folderPrefix;
int dragSource = 0;
bool dropPending = false;

// Whether `prefix`, as navigation builds it ("", "Button02.folder.", ...),
// still leads through folder buttons of the document.
static bool leadsToFolder(const QString &prefix)
{
    const QStringList parts = prefix.split(QLatin1Char('.'));
    if (parts.size() % 2 == 0 || !parts.last().isEmpty())
        return false;
    QJsonObject level = jsonDocument.object();
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QJsonValue button = level.value(parts.at(i));
        if (parts.at(i + 1) != folderMember || !isFolder(button))
            return false;
        level = folderLevel(button);
    }
    return true;
}

// One step of the editor's history: the whole document before and after it,
// and where it was made, so that undoing it shows it there.
class DocumentStep : public QUndoCommand {
public:
    DocumentStep(moreSettings *editor, int mergeId, const QString &text, const QJsonDocument &before)
        : QUndoCommand(text)
        , m_editor(editor)
        , m_id(mergeId)
        , m_before(before)
        , m_after(jsonDocument)
        , m_prefix(folderPrefix)
        , m_selected(selectedButton)
    {
    }
    int id() const override { return m_id; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const DocumentStep *>(other);
        if (next->m_prefix != m_prefix || next->m_selected != m_selected)
            return false;
        m_after = next->m_after;
        setObsolete(m_after == m_before);
        return true;
    }
    void undo() override { m_editor->showDocument(m_before, m_prefix, m_selected); }
    // The first redo comes as the step is recorded, when the editor already
    // shows its outcome.
    void redo() override
    {
        if (std::exchange(m_done, true))
            m_editor->showDocument(m_after, m_prefix, m_selected);
    }

private:
    moreSettings *m_editor;
    int m_id;
    QJsonDocument m_before, m_after;
    QString m_prefix;
    int m_selected;
    bool m_done = false;
};

// The selected grid button's mark, on top of its usual look.
static const QString selectedMark = QStringLiteral("QPushButton{border: 2px solid palette(highlight);}");

moreSettings::moreSettings(QWidget *parent)
    : QDialog(parent)
    , ui((initResources(), new Ui::moreSettings))
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    // A field writes what it holds back into the document, so it must hold a
    // member whole: a line edit keeps 32767 characters by default, and a
    // Save that changed another button would cut a longer path short.
    // Their own undo would only be another edit here: the editor's history
    // takes Ctrl+Z from them too (eventFilter).
    for (QLineEdit *field : { ui->lineEdit_url, ui->lineEdit_icon, ui->lineEdit_title, ui->lineEdit_background }) {
        field->setMaxLength(std::numeric_limits<int>::max());
        field->installEventFilter(this);
    }
    setWindowTitle(QStringLiteral("Settings - Zarvel ") + configValue(QStringLiteral("type")).toString());

    m_dropTimer = new QTimer(this);
    m_dropTimer->setSingleShot(true);
    m_dropTimer->setInterval(10);
    connect(m_dropTimer, &QTimer::timeout, this, [] { dropPending = false; });

    m_history = new QUndoStack(this);
    QAction *undo = m_history->createUndoAction(this);
    undo->setShortcuts(QKeySequence::Undo);
    QAction *redo = m_history->createRedoAction(this);
    redo->setShortcuts(QKeySequence::Redo);
    addActions({ undo, redo });

    readJson();
    // The previous dialog may have been left inside a folder that the file
    // no longer has (created and never saved, or changed since). Drawing
    // there would show ghost buttons and write stray members under a button
    // that is not a folder, so start from the top instead.
    if (!leadsToFolder(folderPrefix))
        folderPrefix.clear();
    setButtonsLayout();
    getButtonsDetails(0);
    // After the first drawing, which writes black into missing colours:
    // only what the user does counts as an edit.
    m_readDocument = jsonDocument;
    m_history->clear();
}

moreSettings::~moreSettings()
{
    // A release just before closing must not turn the next dialog's first
    // Enter into a drop.
    dropPending = false;
    // Another dialog may already have taken the grid over.
    for (GridButton *&button : editorButtons) {
        if (button && button->parentWidget() == ui->groupBox_btn)
            button = nullptr;
    }
    delete ui;
}

void moreSettings::setButtonsLayout()
{
    int rows = 0;
    QVBoxLayout *column = makeButtonGrid(
        editorButtons, buttonCount,
        [this](GridButton *button, int n) {
            connect(button, &QPushButton::clicked, this, &moreSettings::buttonClick);
            button->installEventFilter(this);
            setButtonsConfiguration(n - 1);
        },
        &rows);
    ui->groupBox_btn->setLayout(column);
    ui->groupBox_btn->setFixedSize(92, 45 * rows);
}

void moreSettings::setButtonsConfiguration(int buttonIndex)
{
    const int n = buttonIndex + 1;
    const QString button = folderPrefix + buttonKey(n);
    const bool backPosition = n == 1 && !folderPrefix.isEmpty();
    GridButton *gridButton = editorButtons[buttonIndex];

    const QString target = getJsonDocument(button + QLatin1Char('.') + pathMember).toString();
    if (target.isEmpty() && !backPosition) {
        gridButton->showIcon({});
    } else {
        const QString icon = getJsonDocument(button + QLatin1Char('.') + iconMember).toString();
        gridButton->showIcon(m_icons.icon(backPosition ? folderBackMarker : target, icon, iconProvider));
    }

    gridButton->setToolTip(QStringLiteral("Click to edit button ") + QString::number(n));
    // Named by its number and what it holds, as the panel names it.
    const QString title = getJsonDocument(button + QLatin1Char('.') + titleMember).toString();
    const SpokenButton spoken = spokenButton(n, backPosition ? folderBackMarker : target, title);
    const bool empty = title.isEmpty() && target.trimmed().isEmpty() && !backPosition;
    gridButton->setAccessibleName(QStringLiteral("Button ") + QString::number(n)
        + (empty ? QStringLiteral(", empty") : QStringLiteral(": ") + spoken.name));
    gridButton->setAccessibleDescription(spoken.description);

    const QString background = button + QLatin1Char('.') + backgroundMember;
    if (!QColor::isValidColor(getJsonDocument(background).toString()))
        setJsonDocument(background, QStringLiteral("#000000"));
    const QString colour = getJsonDocument(background).toString();
    if (colour.isEmpty())
        return;
    gridButton->setStyleSheet(buttonStyleSheet(colour) + (n == selectedButton ? selectedMark : QString()));
}

QString moreSettings::getRealPath(QString pathWithQuote)
{
    return stripPathQuotes(pathWithQuote);
}

void moreSettings::buttonClick()
{
    if (QObject *button = sender())
        getButtonsDetails(button->objectName().toInt() - 1);
}

void moreSettings::getButtonsDetails(int buttonIndex)
{
    const int n = buttonIndex + 1;
    const QString button = folderPrefix + buttonKey(n);
    // First, so that the field slots fired by the setText calls below write
    // to the newly selected button.
    const int previous = std::exchange(selectedButton, n);
    for (int mark : { previous, n }) {
        if (mark >= 1 && mark <= buttonCount && editorButtons[mark - 1])
            setButtonsConfiguration(mark - 1);
    }

    ui->label_title->setText(QStringLiteral("Button ") + QString::number(n) + QStringLiteral(" Settings"));
    ui->lineEdit_title->setText(getJsonDocument(button + QLatin1Char('.') + titleMember).toString());
    ui->lineEdit_icon->setText(getJsonDocument(button + QLatin1Char('.') + iconMember).toString());
    ui->lineEdit_background->setText(getJsonDocument(button + QLatin1Char('.') + backgroundMember).toString());

    const bool backPosition = buttonIndex == 0 && !folderPrefix.isEmpty();
    ui->lineEdit_url->setText(
        backPosition ? folderBackMarker : getJsonDocument(button + QLatin1Char('.') + pathMember).toString());
    ui->lineEdit_url->setEnabled(!backPosition);
    ui->pushButton_browsePath->setEnabled(!backPosition);
    ui->pushButton_setToFolder->setEnabled(!backPosition);
    ui->pushButton_clear_path->setEnabled(!backPosition);
}

bool moreSettings::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit *>(watched)) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Undo))
            m_history->undo();
        else if (key->matches(QKeySequence::Redo))
            m_history->redo();
        else
            return false;
        return true;
    }
    if (watched->parent() != ui->groupBox_btn)
        return false;
    const int position = watched->objectName().toInt();
    if (position < 1 || position > buttonCount)
        return false;

    switch (event->type()) {
    case QEvent::MouseButtonPress:
        setCursor(Qt::ClosedHandCursor);
        dragSource = position;
        break;
    case QEvent::MouseButtonRelease:
        // The release reaches the pressed button; the button under the
        // pointer gets its Enter right after, and that is the drop target.
        setCursor(Qt::ArrowCursor);
        dropPending = true;
        m_dropTimer->start();
        break;
    case QEvent::Enter:
        if (dropPending) {
            dropPending = false;
            dropOn(position);
        }
        break;
    case QEvent::MouseButtonDblClick:
        openFolderAt(position);
        break;
    default:
        break;
    }
    return false;
}

void moreSettings::dropOn(int target)
{
    if (target == dragSource || dragSource < 1 || dragSource > buttonCount)
        return;
    // A folder's Back position stays where it is.
    if (!folderPrefix.isEmpty() && (dragSource == 1 || target == 1))
        return;
    const QString sourceKey = folderPrefix + buttonKey(dragSource);
    const QString targetKey = folderPrefix + buttonKey(target);
    recordEdit(-1, tr("Swap Buttons"), [&] {
        const QVariant moving = getJsonDocument(sourceKey);
        const QVariant replaced = getJsonDocument(targetKey);
        setJsonDocument(sourceKey, replaced);
        setButtonsConfiguration(dragSource - 1);
        setJsonDocument(targetKey, moving);
        setButtonsConfiguration(target - 1);
        getButtonsDetails(target - 1);
    });
}

void moreSettings::recordEdit(int mergeId, const QString &text, const std::function<void()> &change)
{
    if (m_recording) {
        change();
        return;
    }
    const QJsonDocument before = jsonDocument;
    m_recording = true;
    change();
    m_recording = false;
    if (jsonDocument != before)
        m_history->push(new DocumentStep(this, mergeId, text, before));
}

void moreSettings::showDocument(const QJsonDocument &document, const QString &prefix, int selected)
{
    m_recording = true;
    jsonDocument = document;
    // The folder of the step may be gone in an older document.
    folderPrefix = leadsToFolder(prefix) ? prefix : QString();
    for (int i = 0; i < buttonCount; ++i)
        setButtonsConfiguration(i);
    getButtonsDetails(qBound(1, selected, buttonCount) - 1);
    m_recording = false;
}

void moreSettings::openFolderAt(int position)
{
    const QString key = buttonKey(position);
    if (isFolder(QJsonValue::fromVariant(getJsonDocument(folderPrefix + key)))) {
        folderPrefix += key + QLatin1Char('.') + folderMember + QLatin1Char('.');
    } else if (position == 1 && !folderPrefix.isEmpty()) {
        // "A.folder.B.folder." -> "A.folder."; "A.folder." -> "".
        QStringList parts = folderPrefix.split(QLatin1Char('.'));
        parts.erase(parts.end() - qMin(3, parts.size()), parts.end());
        folderPrefix = parts.join(QLatin1Char('.'));
        if (!folderPrefix.isEmpty())
            folderPrefix += QLatin1Char('.');
    } else {
        return;
    }
    for (int i = 0; i < buttonCount; ++i)
        setButtonsConfiguration(i);
}
