// The About box (dialog 201): version, pitch, and links to the web site and
// to a support e-mail.
#pragma once
#include "controls/CLinkStatic.h"
#include "controls/FontSet.h"
#include "framework/Dialog.h"

class AboutDialog : public Dialog {
public:
    explicit AboutDialog(const FontSet& fonts);
    ~AboutDialog() override;

    const CLinkStatic& WebsiteLink() const { return websiteLink; }
    const CLinkStatic& EmailLink() const { return emailLink; }

protected:
    BOOL OnInitDialog() override;

private:
    void SizeIcon();

    CLinkStatic websiteLink;
    CLinkStatic emailLink;
    const FontSet& fonts;
    HICON icon = nullptr;
};
