#include "control_ids.h"

#include <cstring>

namespace {

struct FuncId {
    const char* func;
    int id;
};

// Ascending by identifier; 12432 and 12433 are not assigned.
const FuncId kControlFuncTable[] = {
        {"close", 12345},
        {"close_uninstall", 12346},
        {"disagree", 12347},
        {"agree", 12348},
        {"back", 12349},
        {"next", 12350},
        {"single_install_button_cancel_update", 12351},
        {"single_install_button_cancel", 12352},
        {"single_install_button_browse", 12353},
        {"single_install_button_install", 12354},
        {"single_install_checkbox_terms", 12355},
        {"single_install_checkbox_guest", 12356},
        {"single_install_checkbox_icon_desktop", 12357},
        {"single_install_checkbox_icon_programs", 12358},
        {"single_install_button_terms", 12359},
        {"single_install_progress", 12360},
        {"single_install_text_progress_info", 12361},
        {"single_install_text_folder", 12362},
        {"single_install_sprite_hide", 12363},
        {"single_install_spriterange_wait", 12364},
        {"single_install_text_create_shortcuts", 12365},
        {"language", 12366},
        {"button_lang1", 12367},
        {"button_lang2", 12368},
        {"button_lang3", 12369},
        {"button_lang4", 12370},
        {"button_lang5", 12371},
        {"button_lang6", 12372},
        {"button_lang7", 12373},
        {"button_lang8", 12374},
        {"back_icons", 12375},
        {"next_icons", 12376},
        {"cancel_icons", 12377},
        {"portable_help", 12378},
        {"back_extapp", 12379},
        {"next_extapp", 12380},
        {"cancel_extapp", 12381},
        {"button_extapp_help_1", 12382},
        {"button_extapp_help_2", 12383},
        {"button_extapp_help_3", 12384},
        {"checkbox_extapp_1", 12385},
        {"checkbox_extapp_2", 12386},
        {"checkbox_extapp_3", 12387},
        {"cancel_destfolder", 12388},
        {"cancel_download", 12389},
        {"cancel_progress", 12390},
        {"cancel_firstpage", 12391},
        {"change_folder", 12392},
        {"checkbox_guest", 12393},
        {"launch", 12394},
        {"uninstall", 12395},
        {"cancelUninstall", 12396},
        {"checkbox_icon_desktop", 12397},
        {"checkbox_icon_programs", 12398},
        {"mblistbox", 12399},
        {"mblistbox_error", 12400},
        {"mblistbox_sprite_error", 12401},
        {"terms", 12402},
        {"errors", 12403},
        {"folder", 12404},
        {"download_info", 12405},
        {"progress_info", 12406},
        {"download_progress", 12407},
        {"progress_progress", 12408},
        {"applyupdate_info", 12409},
        {"launching_info", 12410},
        {"firstpage_info", 12411},
        {"mbox_yes", 12412},
        {"mbox_no", 12413},
        {"mbox_ok", 12414},
        {"mbox_retry", 12415},
        {"mbox_cancel", 12416},
        {"mbox_edit", 12417},
        {"mbox_link", 12418},
        {"mbox_text_edit_caption", 12419},
        {"caption", 12420},
        {"headline_terms_info", 12421},
        {"headline_icons_info", 12422},
        {"headline_dest_info", 12423},
        {"headline_download_info", 12424},
        {"headline_download_launch_info", 12425},
        {"headline_uninstall_info", 12426},
        {"headline_uninstall_close_info", 12427},
        {"scroll_error_text_area", 12428},
        {"headline_progress_info", 12429},
        {"headline_extapp_info", 12430},
        {"headline_firstpage_info", 12431},
        {"text_clicklaunch", 12434},
        {"text_downloadcompleted", 12435},
        {"text_programwill", 12436},
        {"text_wantuninstall", 12437},
        {"text_wantuninstall_path", 12438},
        // Opens and closes the single-page settings panel.
        {"single_install_button_settings", 12439},
};

}  // namespace

int ControlIdForFunc(const std::string& func) {
    for (const FuncId& f : kControlFuncTable)
        if (func == f.func) return f.id;
    return 0;
}

const char* ControlFuncForId(int id) {
    for (const FuncId& f : kControlFuncTable)
        if (f.id == id) return f.func;
    return nullptr;
}

std::vector<int> AllControlIds() {
    std::vector<int> ids;
    for (const FuncId& f : kControlFuncTable) ids.push_back(f.id);
    return ids;
}
