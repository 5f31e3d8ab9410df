"""The tool's own texts, as a user reads them on a UTF-8 terminal."""

HELP_FIRST = "ZELMO :  visualizza o cambia gli attributi di file e/o directory."
HELP_REST = [
    "     /?        Questa schermata",
    "     file      Gruppi di files o singolo file",
    "     /I        Ignora tutti gli accessi negati",
    "     /Y        Modifica gli attributi senza chiederne la conferma",
    "     /P        Mostra gli attributi una schermata alla volta",
    "     /V        Visualizza su video le informazioni anche se esiste +outfile",
    "               ( +outfile deve essere diverso da +NUL )",
    "     /S        Elabora anche le sottodirectory",
    "     + -       Imposta / Rimuove un attributo",
    "     S A R H   Attributo di file di Sistema, Archivio, Sola lettura, Nascosto",
    "     +outfile  Scrive le informazioni in outfile se sono presenti /Y e /I",
    "               oppure se non reimposta gli attributi. Se si indica +NUL,",
    "               non vi sarà alcuna descrizione al video sui files.",
    "     /AA       Se outfile esiste, accoda le informazioni",
    "     /AC       Se outfile esiste, chiede se accodare o sovrascrivere le",
    "               informazioni o uscire dal programma",
    "     /AS       Se outfile esiste, sovrascrive le informazioni",
    "     /AE       Se outfile esiste, il programma si chiude",
    "     /E        Esclude le informazioni sui files saltati: output più veloce",
    "Opzioni inverse:  /-I  /-Y  /-P  /-V  /-S  /-E",
    "Opzioni inizialmente abilitate:  /-I  /-Y  /-P  /-V  /-S  /AC  /E",
]

UNKNOWN_PARAMETER = "Troppi parametri o parametro sconosciuto: "


def help_lines(build):
    """The 23 lines of the help screen; the second names the build's platform."""
    second = "   ZELMO    [opzioni]  [ [+|-] [S|A|R|H] ]     Versione 1.20 per %s bit" % build.platform_word()
    return [HELP_FIRST, second] + HELP_REST
