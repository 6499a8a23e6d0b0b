#pragma once

#include <QDialog>

#include <functional>

class MeasurementArchive;
class QLabel;
class QPushButton;
class QTreeWidget;

// The archive's reads, newest first: when each was read, from which device,
// how many rows of how many, complete or not, exported or not. "Öffnen"
// (or a double click) chooses one to show; "Löschen" removes one after a
// question. The dialog never changes the window itself: the caller loads the
// chosen read.
class ArchiveWindow : public QDialog
{
    Q_OBJECT

public:
    // Asks whether to delete; the message box unless a test hands in
    // another answer.
    using DeleteQuestion = std::function<bool(QWidget *parent, const QString &read)>;

    explicit ArchiveWindow(MeasurementArchive &archive, QWidget *parent = nullptr);

    void setDeleteQuestion(DeleteQuestion question) { m_askDelete = std::move(question); }
    // The read chosen with "Öffnen"; -1 before one is.
    qint64 chosenRead() const { return m_chosen; }
    QTreeWidget *list() const { return m_list; }
    // Lists the archive again.
    void refresh();
    // Removes the selected read after the question.
    void deleteSelected();

private:
    qint64 selectedRead() const;
    void updateButtons();

    MeasurementArchive &m_archive;
    QTreeWidget *m_list = nullptr;
    QLabel *m_message = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_delete = nullptr;
    qint64 m_chosen = -1;
    DeleteQuestion m_askDelete;
};
