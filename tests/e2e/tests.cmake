# End-to-end tests: the built launcher, branded for a local server, installs
# a sample client under Wine (x86_64 build only, in the test session's
# display and prefix). They run alone: the launcher looks for any running
# game client window and coordinates with other launchers.
if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  foreach(_case
      FreshInstall.test_fresh_portable_install_from_nginx
      Https.test_misnamed_and_untrusted_certificates_move_to_the_next_server
      Https.test_a_relaxed_configuration_accepts_a_self_signed_certificate
      Resume.test_resume_after_killing_the_launcher_mid_download
      HugePack.test_a_pack_of_four_and_a_half_gib_is_resumed_beyond_four_gib
      ServerSwitch.test_503_on_the_manifest_moves_to_the_next_server
      UpdatePath.test_an_empty_slot_takes_the_configured_update_path
      DownloadMode.test_client_hands_over_download_tasks
      DownloadMode.test_a_task_announced_longer_than_sent_is_answered_unreadable_without_a_hang
      CorruptPack.test_corrupt_pack_asks_for_retry_and_is_fetched_again
      ServerFailures.test_five_broken_transfers_move_to_the_next_server
      ServerFailures.test_manifest_that_is_no_archive_moves_to_the_next_server
      ServerFailures.test_no_server_left_asks_for_a_server_address
      ServerFailures.test_a_maintenance_page_shows_its_notice_and_when_service_returns_without_seconds
      HostileServers.test_every_server_fault_ends_verified_clean_within_bounded_time
      PowerLoss.test_killing_the_launcher_at_random_moments_loses_at_most_the_part_in_flight
      DiskFull.test_a_full_disk_stops_before_the_download_or_in_the_unpack_and_a_restart_with_space_completes
      SelfUpdate.test_newer_launcher_replaces_the_running_one
      SelfUpdate.test_wrong_launcher_checksum_asks_for_retry
      HttpsSelfUpdate.test_over_https_a_newer_launcher_replaces_the_running_one
      SignedSets.test_changed_and_unsigned_manifests_are_refused_and_a_signed_set_installs
      SignedSets.test_a_pack_or_launcher_changed_behind_a_good_signature_is_refused
      Instances.test_second_launcher_during_a_wizard_download_ends_at_once
      Instances.test_second_launcher_during_a_silent_download_runs_in_run_mode
      RunByClient.test_client_started_update_downloads_in_the_background_and_hands_over
      RunByClient.test_a_background_launcher_that_must_be_replaced_ends_and_the_next_start_replaces_it
      Promotion.test_automatic_mode_opens_the_promotion_address_in_the_players_browser
      ClientStart.test_a_client_that_cannot_start_is_reported_at_once
      ClientStart.test_a_client_that_never_signals_is_ended_after_its_time_limit
      ClientStart.test_prepared_files_and_a_client_process_without_a_window_start_the_client_again
      SinglePage.test_kazakh_portable_install_through_the_single_page
      StandardInstall.test_standard_install_registers_the_folder_and_makes_shortcuts
      StandardInstall.test_without_write_access_a_standard_installation_gets_its_rights_back_and_a_portable_one_stops
      ShortcutChanges.test_an_update_adds_and_removes_the_programs_shortcuts
      ShortcutChanges.test_a_numbered_portable_installation_keeps_its_number_on_program_shortcuts
      BadFolders.test_a_file_or_an_overlong_path_as_the_folder_is_refused_and_install_can_be_pressed_again
      BadFolders.test_a_folder_named_outside_the_ansi_code_page_installs
      BadFolders.test_the_folder_picker_starts_at_the_nearest_existing_folder_and_returns_it
      AddOns.test_a_selected_add_on_is_downloaded_and_started
      Renaming.test_an_action_of_a_new_launcher_renames_the_installation_after_an_update
      Renaming.test_a_migration_renames_an_installation_registered_under_the_old_path
      Renaming.test_on_a_fresh_installation_the_action_is_only_recorded
      Renaming.test_rename_actions_stay_inside_the_folder_and_keep_what_they_cannot_copy
      Renaming.test_malformed_renaming_parameters_move_nothing
      Renaming.test_a_folder_that_already_has_the_new_name_stops_the_renaming
      Uninstall.test_standard_uninstall_from_the_uninstall_entry
      Uninstall.test_portable_uninstall_from_its_shortcut_keeps_another_installations_shortcuts
      Uninstall.test_closing_the_window_stops_a_portable_uninstall_midway
      Uninstall.test_a_folder_that_is_no_portable_installation_is_left_alone
      Uninstall.test_a_portable_uninstall_without_a_shortcut_path_removes_its_folder_only
      Uninstall.test_uninstalling_the_second_slot_leaves_the_first_installation)
    string(REGEX REPLACE "^.*\\.test_" "" _name ${_case})
    add_test(NAME E2E.${_name}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/e2e_test.py
                     --launcher $<TARGET_FILE:Launcher> --game-client $<TARGET_FILE:game_client>
                     --tool ${LAUNCHER_TOOL} --work ${CMAKE_CURRENT_BINARY_DIR}/e2e
                     --source ${PROJECT_SOURCE_DIR} --package ${PROJECT_BINARY_DIR}/src/app/package
                     --wineprefix ${CMAKE_BINARY_DIR}/wineprefix ${_case})
    set_tests_properties(E2E.${_name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
  endforeach()
endif()
