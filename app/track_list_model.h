#pragma once
// The table model of the track list lista_musicas: shows the compilation's
// rows as four columns and follows its changes. It holds no rows itself.

#include "app/core/compilation.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace valmuri {

class TrackListModel : public QAbstractTableModel, public CompilationObserver {
    Q_OBJECT
public:
    TrackListModel(Compilation& compilation, QObject* parent = nullptr);
    ~TrackListModel() override;

    // Column headers a72 ... a75 of the current language.
    void set_headers(const QStringList& headers);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void rows_about_to_be_inserted(int first, int last) override;
    void rows_inserted() override;
    void rows_about_to_be_removed(int first, int last) override;
    void rows_removed() override;
    void rows_changed(int first, int last) override;
    void rows_about_to_be_reset() override;
    void rows_reset() override;

private:
    Compilation& compilation_;
    QStringList headers_;
};

} // namespace valmuri
