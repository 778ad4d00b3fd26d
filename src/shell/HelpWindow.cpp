#include "HelpWindow.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
const char16_t kHelpHtml[] =
    u"<h2>Kelvor视频监控录像软件 使用说明</h2>"
    u"<h3>视频监控</h3>"
    u"<p>接好摄像头后，在“选择监控设备”中选择设备和画面分辨率，按“开始监控”。"
    u"录像文件以开始时间命名（年月日时分秒.avi），每43分20秒自动换一个新文件。"
    u"画面上叠加当前日期和时间。</p>"
    u"<h3>报警截图</h3>"
    u"<p>在“基础数据设置”中钩选“启用报警截图功能”后，软件每半秒把当前画面与参考画面比较，"
    u"画面变化较大时保存一张报警图片；钩选“启用发送邮箱功能”并填写接收邮箱后，"
    u"报警图片打包发送到该邮箱。</p>"
    u"<h3>视频回放与报警画面</h3>"
    u"<p>在“视频回放”中按日期查询录像并播放；在“报警画面显示”中按日期查看报警图片。"
    u"磁盘空间不足时，软件自动删除最早的录像。</p>"
    u"<h3>系统托盘</h3>"
    u"<p>右键单击托盘图标可隐藏或显示界面、打开本帮助或退出软件。"
    u"设置了进入密码时，显示界面和退出需要输入密码。</p>";
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("在线帮助"));
    setModal(true);
    auto* text = new QTextBrowser(this);
    text->setHtml(QString::fromUtf16(kHelpHtml));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(560, 420);
}
