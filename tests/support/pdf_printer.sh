#!/bin/sh
# A real printer for the printing tests: CUPS with a cups-pdf queue,
# made the default printer, that writes each job as a PDF into a folder.
#   pdf_printer.sh up DIR     starts cupsd unless it runs, adds the queue,
#                             makes it the default; PDFs land in DIR/out
#   pdf_printer.sh down DIR   removes the queue, gives the default back,
#                             stops cupsd if "up" started it
# Wine's print spooler reads the CUPS printers and their default each time
# a program loads it, so every Wine prefix sees the queue.
# Needs root (cupsd, lpadmin, the backend's configuration in /etc/cups).
DIR=$2
PRINTER=VigilorPDF
INSTANCE=vigilor
CONF=/etc/cups/cups-pdf-$INSTANCE.conf
STATE=$DIR/state

scheduler_up() { lpstat -r 2>/dev/null | grep -q "is running"; }

# Waits, boundedly, for the scheduler to answer (or stop answering).
wait_scheduler() {
    want=$1
    i=0
    while [ $i -lt 100 ]; do
        if scheduler_up; then [ "$want" = up ] && return 0; else [ "$want" = down ] && return 0; fi
        sleep 0.1
        i=$((i + 1))
    done
    return 1
}

up() {
    mkdir -p "$DIR/out" || return 1
    : > "$STATE"
    if ! scheduler_up; then
        command -v cupsd >/dev/null || { echo "cupsd is not installed" >&2; return 1; }
        setsid cupsd -f </dev/null >/dev/null 2>&1 &
        echo "cupsd_pid=$!" >> "$STATE"
        wait_scheduler up || { echo "cupsd did not start" >&2; return 1; }
    fi
    previous=$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
    [ "$previous" = "$PRINTER" ] || echo "previous_default=$previous" >> "$STATE"
    printf 'Out %s\nLabel 1\n' "$DIR/out" > "$CONF" || return 1
    lpadmin -p "$PRINTER" -E -v "cups-pdf:/$INSTANCE" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null || return 1
    lpadmin -d "$PRINTER" || return 1
    [ "$(lpstat -d | sed -n 's/^system default destination: //p')" = "$PRINTER" ]
}

down() {
    cupsd_pid=$(sed -n 's/^cupsd_pid=//p' "$STATE" 2>/dev/null)
    previous=$(sed -n 's/^previous_default=//p' "$STATE" 2>/dev/null)
    if scheduler_up; then
        lpadmin -x "$PRINTER" 2>/dev/null
        [ -n "$previous" ] && lpadmin -d "$previous" 2>/dev/null
    fi
    rm -f "$CONF" "$STATE"
    if [ -n "$cupsd_pid" ]; then
        kill "$cupsd_pid" 2>/dev/null
        wait_scheduler down
    fi
    return 0
}

case "$1" in
    up) up || { echo "the PDF printer could not be set up" >&2; down; exit 1; } ;;
    down) down ;;
    *) echo "usage: $0 up|down DIR" >&2; exit 2 ;;
esac
exit 0
