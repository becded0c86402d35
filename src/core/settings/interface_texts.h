#pragma once
// Every interface text beyond the 50 of the language tables, in English and German, keyed by a name. A new
// text is one line in the list below; the windows' logic looks it up with the current language. Values
// that go into a text (names, counts, lists) stand in it as %1, %2, ... in the order they are given.
#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvor::settings {

// X(name, English, German)
// clang-format off
#define KELVOR_INTERFACE_TEXTS(X)                                                                            \
    /* The main window's menu items added at the end of "Messwerte" */                                       \
    X(save_pdf, "save as PDF (Kelvor.pdf)", "als PDF speichern (Kelvor.pdf)")                                \
    X(save_csv, "save as CSV (Kelvor.csv)", "als CSV speichern (Kelvor.csv)")                                \
    X(save_fhir, "save as FHIR audiogram (Kelvor.fhir.json)", "als FHIR-Audiogramm speichern (Kelvor.fhir.json)") \
    /* The output settings dialog's own texts */                                                             \
    X(port_addr, "Select Sound Card Port: ", "Soundkarten Port auswählen: ")                                \
    X(port_ok, "o.k. select", "übernehmen")                                                                  \
    X(port_cancel, "Cancel", "aufheben")                                                                     \
    X(active_port, "active Port: ", "aktiver Port: ")                                                        \
    X(ear_routing, "Tone to the tested ear only", "Ton nur auf dem geprüften Ohr")                           \
    X(ear_routing_hint, "The tone sounds on the side of the ear under test only; the other side stays silent.", \
      "Der Ton erklingt nur auf der Seite des geprüften Ohrs; die andere Seite bleibt still.")                \
    X(ear_routing_unavailable,                                                                               \
      "Not with real ports: the sound card and the PC speaker sound by themselves, not through this "        \
      "program's sound output.",                                                                             \
      "Nicht mit echten Ports: Soundkarte und PC-Lautsprecher klingen selbst, nicht über die Tonausgabe "   \
      "dieses Programms.")                                                                                   \
    X(soft_onset, "Soft tone onsets (20 ms)", "Weicher Toneinsatz (20 ms)")                                  \
    X(soft_onset_hint,                                                                                       \
      "The data stream's tone fades in and out over 20 ms. The sound card's chip keeps its own envelope "    \
      "and the PC speaker its edges, as the hardware makes them.",                                           \
      "Der Ton des Data Streams wird über 20 ms ein- und ausgeblendet. Der Chip der Soundkarte behält "     \
      "seine eigene Hüllkurve und der PC-Lautsprecher seine Flanken, wie die Hardware sie macht.")           \
    X(confirm_thresholds, "Confirm each threshold", "Jede Schwelle bestätigen")                             \
    X(confirm_thresholds_hint,                                                                               \
      "The automatic test finds each threshold on repeated ascents, with silent pauses and silent checks, "  \
      "and says how reliable each ear's results are.",                                                       \
      "Der automatische Test findet jede Schwelle in wiederholten Anstiegen, mit stillen Pausen und stillen " \
      "Proben, und sagt, wie verlässlich die Ergebnisse jedes Ohrs sind.")                                   \
    /* The confirmed threshold's verdict on an ear */                                                        \
    X(verdict_reliable, "reliable", "verlässlich")                                                           \
    X(verdict_check, "check", "prüfen")                                                                      \
    X(verdict_unreliable, "unreliable", "unzuverlässig")                                                     \
    X(ear_left_word, "Left ear", "Linkes Ohr")                                                               \
    X(ear_right_word, "Right ear", "Rechtes Ohr")                                                            \
    X(confirmed_progress, "%1: frequency %2 of %3, about %4 min left",                                       \
      "%1: Frequenz %2 von %3, noch etwa %4 min")                                                            \
    X(ear_verdict,                                                                                           \
      "%1: %2 (false alarms %3 a minute of silence, 1 kHz retest %4 dB, uncertain %5 of %6)",               \
      "%1: %2 (Fehlalarme %3 je Minute Stille, 1-kHz-Wiederholung %4 dB, unsicher %5 von %6)")               \
    /* The room watch's microphone: why it cannot be heard */                                              \
    X(room_no_server, "No sound server answers: the room noise cannot be watched.",                        \
      "Kein Soundserver antwortet: das Raumgeräusch kann nicht überwacht werden.")                           \
    X(room_no_microphone, "There is no microphone: the sound server has no source to record the room from.", \
      "Es gibt kein Mikrofon: der Soundserver hat keine Quelle, die den Raum aufnimmt.")                     \
    X(room_only_monitor,                                                                                     \
      "There is no microphone: the sound server's default source only repeats what this computer plays.",   \
      "Es gibt kein Mikrofon: die Standardquelle des Soundservers gibt nur wieder, was dieser Computer "     \
      "abspielt.")                                                                                           \
    X(room_refused, "The microphone was refused: the desktop does not let Kelvor record.",                   \
      "Das Mikrofon wurde verweigert: der Desktop lässt Kelvor nicht aufnehmen.")                           \
    X(room_not_opened, "The microphone could not be opened: %1.",                                            \
      "Das Mikrofon konnte nicht geöffnet werden: %1.")                                                      \
    X(room_lost, "The microphone went away or was changed: the room is no longer heard as it was.",           \
      "Das Mikrofon ist weg oder wurde gewechselt: der Raum ist nicht mehr so zu hören wie zuvor.")          \
    /* Hearing level profiles: their controls */                                                             \
    X(reference_item, "Reference run (calibrate headphones)...", "Referenzmessung (Kopfhörer eichen)...")   \
    X(profile_list, "Hearing level profile", "Hörpegel-Profil")                                              \
    X(levels_panel, "Hearing levels (dB HL)", "Hörpegel (dB HL)")                                            \
    X(reference_name_title, "Reference run", "Referenzmessung")                                              \
    X(reference_name_label, "Profile name (one per headphone):", "Profilname (einer je Kopfhörer):")         \
    X(name_ok, "OK", "OK")                                                                                   \
    X(name_cancel, "Cancel", "Cancel")                                                                       \
    X(profile_none, "none", "keines")                                                                        \
    /* The hearing level panel */                                                                            \
    X(levels_heading, "Hearing level profile: %1   (dB HL; %2 = %3)", "Hörpegel-Profil: %1   (dB HL; %2 = %3)") \
    X(not_calibrated_short, "n.c.", "n.k.")                                                                  \
    X(not_calibrated, "not calibrated", "nicht kalibriert")                                                  \
    X(levels_left, "left  ", "links ")                                                                       \
    X(levels_right, "right ", "rechts")                                                                      \
    /* The hearing number and its grade (with a profile) */                                                 \
    X(number_heading, "Hearing number (average of 500, 1000, 2000 and 4000 Hz, dB HL)",                     \
      "Hörzahl (Mittel aus 500, 1000, 2000 und 4000 Hz, dB HL)")                                            \
    X(number_ear, "%1: %2 dB HL", "%1: %2 dB HL")                                                           \
    X(number_more_than, "more than %1", "mehr als %1")                                                      \
    X(number_missing, "%1: no number, %2 Hz missing or not calibrated",                                     \
      "%1: keine Zahl, %2 Hz fehlt oder nicht kalibriert")                                                  \
    X(number_not_reached, "not reached: %1 Hz more than %2 dB HL", "nicht erreicht: %1 Hz mehr als %2 dB HL") \
    X(number_grade, "Grade (WHO 2021, better ear): %1. %2", "Grad (WHO 2021, besseres Ohr): %1. %2")        \
    X(number_at_least, "at least %1", "mindestens %1")                                                      \
    X(number_no_grade, "Grade (WHO 2021): needs the hearing number of both ears",                           \
      "Grad (WHO 2021): braucht die Hörzahl beider Ohren")                                                  \
    X(number_uncertain, "%1: %2 uncertain thresholds", "%1: %2 unsichere Schwellen")                        \
    X(number_unreliable, "%1: verdict \"unreliable\"", "%1: Urteil \"unzuverlässig\"")                      \
    X(number_beside, "Beside the grade: %1", "Neben dem Grad: %1")                                          \
    X(number_needs_profile, "Hearing number: needs a hearing level profile (dB HL)",                        \
      "Hörzahl: braucht ein Hörpegel-Profil (dB HL)")                                                       \
    X(grade_normal, "normal hearing", "normales Gehör")                                                     \
    X(grade_mild, "mild hearing loss", "leichter Hörverlust")                                               \
    X(grade_moderate, "moderate hearing loss", "mittlerer Hörverlust")                                      \
    X(grade_moderately_severe, "moderately severe hearing loss", "mittelschwerer Hörverlust")               \
    X(grade_severe, "severe hearing loss", "schwerer Hörverlust")                                           \
    X(grade_profound, "profound hearing loss", "hochgradiger Hörverlust")                                   \
    X(grade_complete, "complete or total hearing loss", "vollständiger Hörverlust")                         \
    X(grade_unilateral, "unilateral hearing loss", "einseitiger Hörverlust")                                \
    X(grade_normal_plain, "Speech is heard without trouble, also in some noise.",                           \
      "Sprache wird mühelos verstanden, auch bei etwas Lärm.")                                              \
    X(grade_mild_plain, "Quiet talk is fine, but speech in noise can be hard to follow.",                   \
      "Ruhiges Sprechen geht gut, Sprache im Lärm kann schwer zu verstehen sein.")                          \
    X(grade_moderate_plain, "Ordinary conversation is often hard to follow without help.",                  \
      "Einem gewöhnlichen Gespräch ist ohne Hilfe oft schwer zu folgen.")                                   \
    X(grade_moderately_severe_plain, "Ordinary speech is hard to hear; raised voices are heard better.",    \
      "Gewöhnliche Sprache ist schwer zu hören; lautes Sprechen wird besser gehört.")                       \
    X(grade_severe_plain, "Most conversational speech is not heard, even raised voices with effort.",       \
      "Das meiste Gesprochene wird nicht gehört, lautes Sprechen nur mit Mühe.")                            \
    X(grade_profound_plain, "Even loud speech is very hard to hear.",                                       \
      "Selbst lautes Sprechen ist sehr schwer zu hören.")                                                   \
    X(grade_complete_plain, "Speech and most sounds, even loud ones, are not heard.",                       \
      "Sprache und die meisten Geräusche, auch laute, werden nicht gehört.")                                \
    X(grade_unilateral_plain, "One ear hears well; sounds on the other side and their direction can be missed.", \
      "Ein Ohr hört gut; Geräusche auf der anderen Seite und ihre Richtung können entgehen.")               \
    /* The audiogram on the hearing level page of the printout */                                            \
    X(audiogram_heading, "Audiogram (hearing level in dB HL)", "Audiogramm (Hörpegel in dB HL)")            \
    X(audiogram_frequency, "Frequency (Hz)", "Frequenz (Hz)")                                              \
    X(audiogram_not_reached, "not reached at the top level", "beim höchsten Pegel nicht erreicht")          \
    X(audiogram_bands, "Grades (WHO 2021)", "Grade (WHO 2021)")                                            \
    /* Every saved test kept, and the change between them */                                                \
    X(keep_tests, "Keep every saved test", "Jeden gespeicherten Test aufbewahren")                          \
    X(kept_not_written, "The test is saved, but it could not be kept in the history: %1 (%2)",              \
      "Der Test ist gespeichert, konnte aber nicht in der Geschichte aufbewahrt werden: %1 (%2)")           \
    X(kept_unreadable, "These kept tests cannot be read and are left out:%1",                               \
      "Diese aufbewahrten Tests sind nicht lesbar und bleiben außen vor:%1")                                \
    X(change_ear, "%1: hearing number %2 dB since the first test, %3 dB since the previous; 2-4 kHz %4 dB, %5 dB: %6", \
      "%1: Hörzahl %2 dB seit dem ersten Test, %3 dB seit dem vorigen; 2-4 kHz %4 dB, %5 dB: %6")           \
    X(change_none, "no change worth a retest", "keine Änderung, die einen neuen Test lohnt")                \
    X(change_retest, "a change worth a retest", "eine Änderung, die einen neuen Test lohnt")                \
    X(change_professional, "worth seeing a hearing professional", "ein Besuch bei einer Hörfachkraft lohnt sich") \
    X(change_too_few, "Only one kept test with this profile: nothing to compare yet",                       \
      "Nur ein aufbewahrter Test mit diesem Profil: noch nichts zu vergleichen")                            \
    X(change_not_compared, "Tests with the profile %1 are not compared: their dB HL rest on other references", \
      "Tests mit dem Profil %1 werden nicht verglichen: ihre dB HL beruhen auf anderen Referenzen")         \
    X(kept_item, "Kept tests...", "Aufbewahrte Tests...")                                                   \
    X(kept_none, "None yet: switch on \"Keep every saved test\" and save a test.",                          \
      "Noch keine: \"Jeden gespeicherten Test aufbewahren\" einschalten und einen Test speichern.")         \
    X(change_is_baseline, "The first kept test with this profile: the later ones are compared with it",        \
      "Der erste aufbewahrte Test mit diesem Profil: die späteren werden mit ihm verglichen")               \
    X(change_needs_profile, "Tests kept without a profile have no dB HL and are not compared.",               \
      "Ohne Profil aufbewahrte Tests haben keine dB HL und werden nicht verglichen.")                       \
    /* The window of kept tests */                                                                           \
    X(kept_window, "Kept tests", "Aufbewahrte Tests")                                                        \
    X(kept_window_intro, "Newest first. Choose a test to draw its curves on the charts beside the current ones.", \
      "Neueste zuerst. Einen Test wählen, um seine Kurven neben den aktuellen in die Diagramme zu zeichnen.") \
    X(kept_column_when, "Date", "Datum")                                                                     \
    X(kept_column_profile, "Profile", "Profil")                                                              \
    X(kept_column_left, "Left (dB HL)", "Links (dB HL)")                                                     \
    X(kept_column_right, "Right (dB HL)", "Rechts (dB HL)")                                                  \
    X(kept_column_grade, "Grade", "Grad")                                                                    \
    X(kept_column_verdict, "Verdict", "Urteil")                                                              \
    X(kept_draw_none, "None: only the current test on the charts", "Keiner: nur der aktuelle Test in den Diagrammen") \
    X(kept_change_of, "Change of the test of %1, per ear:", "Änderung des Tests vom %1, je Ohr:")            \
    X(kept_change, "Change per ear", "Änderung je Ohr")                                                     \
    X(kept_close, "Close", "Schließen")                                                                      \
    X(beside_current, "this test", "dieser Test")                                                            \
    /* Hearing level profiles: their messages */                                                             \
    X(profiles_unreadable,                                                                                   \
      "These hearing level profiles could not be read and are left out (the files stay as they are):%1",     \
      "Diese Hörpegel-Profile konnten nicht gelesen werden und bleiben unbenutzt (die Dateien bleiben, wie " \
      "sie sind):%1")                                                                                        \
    X(reference_intro,                                                                                       \
      "Reference run: it calibrates this computer's headphones for hearing levels in dB HL.\n"               \
      "Who may take it: 18 to 30 years old, no known hearing problem, in a quiet room.\n"                    \
      "The run is the automatic test over both ears. The results now shown are cleared. Leave the volumes, " \
      "the output and the headphones as they are now, also for later tests.",                               \
      "Referenzmessung: Sie eicht die Kopfhörer dieses Computers für Hörpegel in dB HL.\n"                  \
      "Teilnehmen darf, wer 18 bis 30 Jahre alt ist und kein bekanntes Hörproblem hat; die Messung "        \
      "braucht einen ruhigen Raum.\n"                                                                        \
      "Die Messung läuft wie der automatische Test über beide Ohren. Die jetzigen Messwerte werden "         \
      "dabei gelöscht. Lautstärken, Ausgang und Kopfhörer bleiben danach so, wie sie jetzt sind.")          \
    X(bad_profile_name,                                                                                      \
      "\"%1\" cannot be a profile name: use 1 to 60 letters, digits, blanks, '-', '_', '.', '(' or ')'.",    \
      "\"%1\" kann kein Profilname sein: 1 bis 60 Buchstaben, Ziffern, Leerzeichen, '-', '_', '.', '(' oder " \
      "')'.")                                                                                                \
    X(speaker_no_reference,                                                                                  \
      "The PC speaker has no volume control and cannot be calibrated: choose the data stream or the OPL2 "   \
      "sound card for a reference run.",                                                                     \
      "Der PC-Lautsprecher hat keine Lautstärkeregelung und kann nicht geeicht werden: wählen Sie für die "  \
      "Referenzmessung den Datenstrom oder die OPL2-Soundkarte.")                                            \
    X(speaker_ordinary_test,                                                                                 \
      "The PC speaker cannot be calibrated: this run is an ordinary test, not a reference run.",             \
      "Der PC-Lautsprecher kann nicht geeicht werden: diese Messung ist ein gewöhnlicher Test, keine "      \
      "Referenzmessung.")                                                                                    \
    X(reference_conditions_differ,                                                                           \
      "The profile \"%1\" was made under other conditions; a reference run now would mix them. This run is " \
      "an ordinary test. What differs:%2",                                                                   \
      "Das Profil \"%1\" wurde unter anderen Bedingungen erstellt; eine Referenzmessung jetzt würde sie "   \
      "mischen. Diese Messung ist ein gewöhnlicher Test. Was abweicht:%2")                                   \
    X(profile_conditions_differ,                                                                             \
      "The conditions differ from those of the hearing level profile \"%1\"; its hearing levels hold only "  \
      "under its own conditions. What differs:%2",                                                           \
      "Die Bedingungen weichen von denen des Hörpegel-Profils \"%1\" ab; seine Hörpegel gelten nur unter "  \
      "seinen eigenen Bedingungen. Was abweicht:%2")                                                         \
    X(reference_not_written, "The reference run could not be kept: %1: %2",                                  \
      "Die Referenzmessung konnte nicht gespeichert werden: %1: %2")                                         \
    X(reference_added,                                                                                       \
      "Reference run added to the hearing level profile \"%1\" (%2 thresholds kept); the profile is now in " \
      "use.",                                                                                                \
      "Referenzmessung in das Hörpegel-Profil \"%1\" aufgenommen (%2 Schwellen übernommen); das Profil ist " \
      "jetzt in Gebrauch.")                                                                                  \
    X(reference_kept_nothing, "The reference run kept no threshold: the profile \"%1\" is unchanged.",       \
      "Die Referenzmessung ergab keine brauchbare Schwelle: das Profil \"%1\" bleibt unverändert.")          \
    X(reference_too_loud,                                                                                    \
      "\nHeard at once, at 0 or 2 dB: the volume is too high for a reference there, nothing was kept of: "   \
      "%1. Turn the volume down and run it again.",                                                          \
      "\nSofort gehört, bei 0 oder 2 dB: die Lautstärke ist dort zu hoch für eine Referenz, nichts "         \
      "übernommen von: %1. Lautstärke verringern und wiederholen.")                                          \
    X(reference_not_heard, "\nNot heard even at 48 dB, nothing was kept of: %1.",                           \
      "\nAuch bei 48 dB nicht gehört, nichts übernommen von: %1.")                                           \
    /* What differs between a profile's conditions and today's */                                            \
    X(condition_output, "output", "Ausgang")                                                                 \
    X(condition_cal_volume, "volume of the data stream", "Lautstärke des Datenstroms")                       \
    X(condition_sink, "sound output", "Audioausgang")                                                        \
    X(condition_sink_volume, "volume of the sound output", "Lautstärke des Audioausgangs")                   \
    X(condition_stream_volume, "volume of Kelvor's stream", "Lautstärke von Kelvors Strom")                  \
    X(condition_ear_routing, "tone to the tested ear only", "Ton nur auf dem geprüften Ohr")                 \
    X(condition_confirm_thresholds, "confirm each threshold", "jede Schwelle bestätigen")                     \
    X(condition_on, "on", "ein")                                                                             \
    X(condition_off, "off", "aus")                                                                           \
    /* The room watch */                                                                                     \
    X(watch_room, "Watch the room noise (microphone)", "Raumgeräusch überwachen (Mikrofon)")                \
    X(watch_room_hint,                                                                                       \
      "While a test runs, the microphone listens to the room and thresholds found while it was too loud "    \
      "are repeated or marked. Nothing it hears is stored.",                                                 \
      "Während eines Tests hört das Mikrofon den Raum ab; Schwellen, die bei zu viel Lärm gefunden wurden, " \
      "werden wiederholt oder markiert. Nichts davon wird gespeichert.")                                     \
    X(room_listening, "Listening to the room (5 seconds), please keep quiet ...",                            \
      "Der Raum wird abgehört (5 Sekunden), bitte ruhig bleiben ...")                                        \
    X(room_too_loud,                                                                                         \
      "The room is louder than at the reference run of the profile \"%1\", by more than %2 dB at: %3.\n\n"  \
      "Wait until it is quieter and listen again, or test anyway (the thresholds there are marked or "       \
      "repeated)?",                                                                                          \
      "Der Raum ist lauter als bei der Referenzmessung des Profils \"%1\", um mehr als %2 dB bei: %3.\n\n"  \
      "Warten, bis es ruhiger ist, und erneut abhören, oder trotzdem testen (die Schwellen dort werden "     \
      "markiert oder wiederholt)?")                                                                          \
    X(room_wait, "Wait and listen again", "Warten und erneut abhören")                                       \
    X(room_test_anyway, "Test anyway", "Trotzdem testen")                                                    \
    X(room_watch_stops, "%1\n\nThe test goes on without the room watch.",                                       \
      "%1\n\nDer Test läuft ohne Raumüberwachung weiter.")                                                    \
    X(room_silent_microphone, "The microphone gave no sound.", "Das Mikrofon lieferte keinen Ton.")         \
    X(room_heading_profile, "Room noise in the band, dB louder than at the profile's reference run "         \
      "(noisy: more than %1 dB)",                                                                            \
      "Raumgeräusch im Band, dB lauter als bei der Referenzmessung des Profils (laut: mehr als %1 dB)")      \
    X(room_heading_own, "Room noise in the band, dB louder than when the test began (noisy: more than %1 dB)", \
      "Raumgeräusch im Band, dB lauter als zu Beginn des Tests (laut: mehr als %1 dB)")                      \
    X(room_noisy, "noisy", "laut")                                                                           \
    X(room_not_watched, "Room not watched from %1 on: %2", "Raum nicht überwacht ab %1: %2")                \
    X(room_not_watched_start, "the start", "Beginn")
// clang-format on

enum class Text {
#define KELVOR_TEXT_NAME(name, english, german) name,
    KELVOR_INTERFACE_TEXTS(KELVOR_TEXT_NAME)
#undef KELVOR_TEXT_NAME
};

struct TextPair {
    Text id;
    const char* name;
    const char* english;
    const char* german;
};

inline constexpr TextPair interface_texts[] = {
#define KELVOR_TEXT_PAIR(name, english, german) {Text::name, #name, english, german},
    KELVOR_INTERFACE_TEXTS(KELVOR_TEXT_PAIR)
#undef KELVOR_TEXT_PAIR
};

// The text in one language, as it stands.
const char* text_in(Text id, bool german);
// The text in one language with %1, %2, ... replaced by `values` (a value is never read for more marks).
std::string text_in(Text id, bool german, std::initializer_list<std::string_view> values);

} // namespace kelvor::settings
