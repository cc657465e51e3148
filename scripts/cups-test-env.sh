#!/usr/bin/env bash
# A private CUPS scheduler for the printing tests. It never touches the
# machine's own print system: every file it reads or writes lives in DIR.
#
#   cups-test-env.sh start DIR        scheduler with the default queue kolvara-pdf
#   cups-test-env.sh start-empty DIR  scheduler without any printer
#   cups-test-env.sh stop DIR         stops the scheduler started for DIR
#   cups-test-env.sh resume DIR       starts it again after a stop, its queues and
#                                     jobs as the stop left them
#   cups-test-env.sh jobs DIR         job list with titles (see below)
#   cups-test-env.sh job DIR ID       one job's attributes, "name=value" a line
#
# Must run as root (cupsd drops to user lp for its children). Both start
# commands are idempotent: a scheduler already running for DIR is reused and
# only its printers are brought to the wanted state. A fresh start wipes the
# job history and the kept documents of an earlier run.
#
# DIR/env holds the environment for clients:
#   . DIR/env     # CUPS_SERVER=DIR/cupsd.sock, KOLVARA_CUPS_OUT=DIR/out
#
# kolvara-pdf is a raw queue (no driver, no filters), so each document
# reaches the backend exactly as the application sent it. Its backend
# (serverbin/backend/kolvara-keep) stores job N as DIR/out/job-N.pdf. Tests
# that need a printer failing can point a queue at the backend kolvara-fail
# (every job fails), or give it printer-op-policy=kolvara-no-documents
# (documents are refused once the job exists).
#
# Job list with the titles of finished jobs (job names are public here
# because the policy says JobPrivateValues none). lpstat prints no titles,
# so the scheduler is asked over IPP (ipptool, package cups-ipp-utils):
#   cups-test-env.sh jobs DIR
# which runs, with the socket's path percent-encoded as the URI's host,
#   ipptool -c -d which=all ipp://%2FDIR%2Fcupsd.sock/ DIR/get-jobs.test
# and prints CSV: a header "job-id,job-state,job-name", then one line a job,
# oldest first. lpstat -W all -o lists the same jobs without their titles.
set -euo pipefail

readonly QUEUE=kolvara-pdf
readonly WAIT_SECONDS=10

die() { echo "cups-test-env: $*" >&2; exit 1; }

usage() {
  echo "usage: $0 start|start-empty|stop|resume|jobs DIR, or $0 job DIR ID" >&2
  exit 2
}

[ $# -eq 2 ] || { [ $# -eq 3 ] && [ "$1" = job ]; } || usage
command=$1
[ -n "$2" ] || usage
dir=$(realpath -m -- "$2")
job_id=${3:-}

sock=$dir/cupsd.sock
pidfile=$dir/cupsd.pid
conf=$dir/etc/cupsd.conf
files_conf=$dir/etc/cups-files.conf

# True while the process exists and is not a zombie.
alive() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

# The schedulers started with this DIR's configuration, found by their
# command line so that one whose pid file was lost is found too. Matching
# the full configuration path never picks up another scheduler, the
# system's included.
scheduler_pids() {
  local proc cmdline
  for proc in /proc/[0-9]*; do
    cmdline=$(tr '\0' ' ' 2>/dev/null <"$proc/cmdline") || continue
    [[ "$cmdline" == *cupsd\ -f\ -c\ "$conf -s $files_conf "* ]] || continue
    if alive "${proc#/proc/}"; then
      echo "${proc#/proc/}"
    fi
  done
}

answering() {
  CUPS_SERVER=$sock lpstat -r 2>/dev/null | grep -q "scheduler is running"
}

stop_scheduler() {
  local pids pid i
  pids=$(scheduler_pids)
  for pid in $pids; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in $pids; do
    for ((i = 0; i < WAIT_SECONDS * 10; i++)); do
      alive "$pid" || break
      sleep 0.1
    done
    if alive "$pid"; then
      kill -KILL "$pid" 2>/dev/null || true
    fi
  done
  rm -f "$pidfile" "$sock"
}

write_config() {
  # A UNIX socket path is limited to 108 bytes by the kernel, and cupsd's
  # configuration files cannot quote paths.
  [ "${#sock}" -lt 100 ] || die "path of the socket too long (${#sock} bytes): $sock"
  [[ "$dir" != *[[:space:]]* ]] || die "DIR must not contain white space: $dir"

  mkdir -p "$dir"/{etc/ppd,etc/ssl,serverbin/backend,spool/tmp,cache,state,log,out}
  # cupsd runs its children as lp, so its working folders belong to root:lp.
  chown root:lp "$dir"/{spool,spool/tmp,cache,out}
  chmod 0770 "$dir"/{spool,cache,out}
  chmod 1770 "$dir/spool/tmp"
  chmod 0755 "$dir" "$dir/etc" "$dir/state" "$dir/log"

  cat >"$files_conf" <<EOF
ServerRoot $dir/etc
ServerBin $dir/serverbin
ServerKeychain $dir/etc/ssl
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/state/printcap
User lp
Group lp
SystemGroup root
FileDevice Yes
CreateSelfSignedCerts no
EOF

  cat >"$conf" <<EOF
Listen $sock
LogLevel warn
MaxLogSize 0
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
DefaultAuthType None
PreserveJobHistory Yes
PreserveJobFiles No
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
# Anyone may submit, list and manage jobs and printers; finished jobs keep
# their titles visible to every client.
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
# The same, except that a job's document is turned away once the job exists:
# a queue with printer-op-policy=kolvara-no-documents shows what becomes of
# a job whose document fails.
<Policy kolvara-no-documents>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit Send-Document>
    AuthType Default
    Require user kolvara-nobody
    Order deny,allow
  </Limit>
  <Limit Validate-Job Cancel-Job Cancel-Jobs Cancel-My-Jobs Close-Job CUPS-Get-Document All>
    Order deny,allow
  </Limit>
</Policy>
EOF

  write_helpers
}

# Files that may be renewed while the scheduler runs: the backend, the
# Get-Jobs request and the client environment.
write_helpers() {
  # The stock programs stay where the system keeps them; only the backend
  # folder is our own.
  local sub
  for sub in cgi-bin daemon driver filter monitor notifier; do
    if [ -d "/usr/lib/cups/$sub" ]; then
      ln -sfn "/usr/lib/cups/$sub" "$dir/serverbin/$sub"
    fi
  done

  # Mode 0700: cupsd runs a backend that only root may execute as root.
  cat >"$dir/serverbin/backend/kolvara-keep" <<'EOF'
#!/bin/sh
# Keeps each job's document as OUT/job-<id>.pdf, where the device URI is
# kolvara-keep:OUT. Called without arguments, it announces no devices.
[ $# -eq 0 ] && exit 0
if [ $# -lt 5 ] || [ $# -gt 6 ]; then
  echo "ERROR: usage: kolvara-keep job user title copies options [file]" >&2
  exit 1
fi
out=${DEVICE_URI#kolvara-keep:}
tmp="$out/.job-$1.tmp"
if [ $# -eq 6 ]; then
  cat -- "$6" >"$tmp" || exit 1
else
  cat >"$tmp" || exit 1
fi
# Renamed only when complete, so a reader never sees half a document.
chmod 0644 "$tmp"
mv -f -- "$tmp" "$out/job-$1.pdf"
EOF
  chmod 0700 "$dir/serverbin/backend/kolvara-keep"

  # Fails every job as a printer that jams does: with the queue's error policy
  # abort-job, each job ends aborted.
  cat >"$dir/serverbin/backend/kolvara-fail" <<'EOF'
#!/bin/sh
[ $# -eq 0 ] && exit 0
echo "ERROR: paper jam" >&2
exit 1
EOF
  chmod 0700 "$dir/serverbin/backend/kolvara-fail"

  # A printer description for a queue that prints on both sides (lpadmin -P);
  # its documents reach the backend as sent, as on the raw queue.
  cat >"$dir/kolvara-duplex.ppd" <<'EOF'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "KOLVARA.PPD"
*Manufacturer: "Kolvara"
*Product: "(Kolvara Duplex Test)"
*ModelName: "Kolvara duplex test printer"
*ShortNickName: "Kolvara duplex test"
*NickName: "Kolvara duplex test printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter: "application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*OpenUI *Duplex/2-Sided Printing: PickOne
*OrderDependency: 10 AnySetup *Duplex
*DefaultDuplex: None
*Duplex None/Off: "<</Duplex false>>setpagedevice"
*Duplex DuplexNoTumble/Long Edge: "<</Duplex true/Tumble false>>setpagedevice"
*Duplex DuplexTumble/Short Edge: "<</Duplex true/Tumble true>>setpagedevice"
*CloseUI: *Duplex
EOF

  # Get-Job-Attributes request for ipptool, for "job DIR ID".
  cat >"$dir/get-job.test" <<'EOF'
{
  NAME "Get-Job-Attributes"
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR integer job-id $job
  ATTR name requesting-user-name $user
  ATTR keyword requested-attributes all
  STATUS successful-ok
}
EOF

  # Get-Jobs request for ipptool, see the comment at the top.
  cat >"$dir/get-jobs.test" <<'EOF'
{
  NAME "Get-Jobs"
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name $user
  ATTR keyword which-jobs $which
  # document-format is not needed, but without an attribute beyond the job
  # summary cupsd 2.4 answers finished jobs from its cache without job-name.
  ATTR keyword requested-attributes job-id,job-state,job-name,document-format
  STATUS successful-ok
  DISPLAY job-id
  DISPLAY job-state
  DISPLAY job-name
}
EOF

  cat >"$dir/env" <<EOF
export CUPS_SERVER=$sock
export KOLVARA_CUPS_OUT=$dir/out
EOF
}

# Where AppArmor enforces the system's cupsd profile, /usr/sbin/cupsd may
# only use the system's own print folders. The profile is bound to that path,
# so a private copy of the program serves DIR instead.
scheduler_binary() {
  local system_cupsd
  system_cupsd=$(command -v cupsd)
  if grep -qs "^${system_cupsd} (enforce)" /sys/kernel/security/apparmor/profiles; then
    mkdir -p "$dir/sbin"
    install -m 0755 "$system_cupsd" "$dir/sbin/cupsd"
    echo "$dir/sbin/cupsd"
  else
    echo "$system_cupsd"
  fi
}

# With "keep", the printers, jobs and documents of the last scheduler stay.
start_scheduler() {
  local keep=${1:-} running
  running=$(scheduler_pids)
  if [ -n "$running" ] && [ "$(wc -w <<<"$running")" -eq 1 ] && answering; then
    echo "$running" >"$pidfile"
    write_helpers
    return 0
  fi
  stop_scheduler

  write_config
  # A fresh scheduler starts without printers, jobs or documents of an
  # earlier run.
  if [ "$keep" != keep ]; then
    rm -f "$dir/etc/printers.conf" "$dir/etc/printers.conf.O" "$dir/etc/ppd/"*
    rm -rf "$dir/spool/"c* "$dir/spool/"d* "$dir/cache/"* "$dir/out/"* "$dir/out/".job-*
    rm -f "$dir/log/"*_log
  fi
  rm -f "$sock"

  local binary
  binary=$(scheduler_binary)
  "$binary" -t -c "$conf" -s "$files_conf" >"$dir/log/config-check" 2>&1 ||
    die "cupsd rejects the configuration: $(cat "$dir/log/config-check")"

  # -f keeps cupsd as our own child so its pid is known; setsid and the
  # redirections detach it from the caller's terminal and pipes.
  setsid "$binary" -f -c "$conf" -s "$files_conf" \
    </dev/null >"$dir/log/cupsd.out" 2>&1 &
  local pid=$!
  echo "$pid" >"$pidfile"

  local i
  for ((i = 0; i < WAIT_SECONDS * 10; i++)); do
    # Liveness only: until the exec the process still shows the shell.
    if ! alive "$pid"; then
      die "cupsd exited at start-up; see $dir/log/error_log: $(tail -n 5 "$dir/log/error_log" 2>/dev/null; cat "$dir/log/cupsd.out")"
    fi
    answering && return 0
    sleep 0.1
  done
  stop_scheduler
  die "cupsd did not answer on $sock within ${WAIT_SECONDS} s; see $dir/log/error_log"
}

add_queue() {
  # The policies too: a test that failed half-way may have left others.
  CUPS_SERVER=$sock lpadmin -p "$QUEUE" -v "kolvara-keep:$dir/out" -E \
    -D "Kolvara test printer" -o printer-error-policy=stop-printer \
    -o printer-op-policy=default 2>"$dir/log/lpadmin.err" ||
    die "lpadmin could not add $QUEUE: $(cat "$dir/log/lpadmin.err")"
  CUPS_SERVER=$sock lpadmin -d "$QUEUE" 2>"$dir/log/lpadmin.err" ||
    die "lpadmin could not make $QUEUE the default: $(cat "$dir/log/lpadmin.err")"
}

remove_queues() {
  local printer
  for printer in $(CUPS_SERVER=$sock lpstat -e 2>/dev/null); do
    CUPS_SERVER=$sock lpadmin -x "$printer" ||
      die "lpadmin could not remove $printer"
  done
}

# The URI's host is the socket's path with every byte outside the unreserved
# set percent-encoded, so "/" becomes %2F.
socket_uri() {
  local LC_ALL=C i c encoded=
  for ((i = 0; i < ${#sock}; i++)); do
    c=${sock:i:1}
    case $c in
      [A-Za-z0-9._~-]) encoded+=$c ;;
      *) encoded+=$(printf '%%%02X' "'$c") ;;
    esac
  done
  echo "ipp://$encoded/"
}

list_jobs() {
  command -v ipptool >/dev/null || die "ipptool not found (package cups-ipp-utils)"
  [ -f "$dir/get-jobs.test" ] || die "no scheduler was started in $dir"
  ipptool -c -d which=all "$(socket_uri)" "$dir/get-jobs.test"
}

# One job's attributes, a line each: "name=value" (several values joined by
# commas), as ipptool shows them.
show_job() {
  command -v ipptool >/dev/null || die "ipptool not found (package cups-ipp-utils)"
  [ -f "$dir/get-job.test" ] || die "no scheduler was started in $dir"
  ipptool -tv -d "job=$1" "$(socket_uri)" "$dir/get-job.test" |
    sed -n 's/^        \([a-z0-9-]*\) ([^)]*) = \(.*\)$/\1=\2/p'
}

if [ "$command" = jobs ]; then
  list_jobs
  exit
fi
if [ "$command" = job ]; then
  [[ "$job_id" =~ ^[0-9]+$ ]] || usage
  show_job "$job_id"
  exit
fi

[ "$(id -u)" -eq 0 ] || die "must run as root"

case $command in
  start)
    command -v cupsd >/dev/null || die "cupsd not found (package cups-daemon)"
    start_scheduler
    add_queue
    ;;
  start-empty)
    command -v cupsd >/dev/null || die "cupsd not found (package cups-daemon)"
    start_scheduler
    remove_queues
    ;;
  stop)
    stop_scheduler
    ;;
  resume)
    command -v cupsd >/dev/null || die "cupsd not found (package cups-daemon)"
    [ -f "$dir/etc/printers.conf" ] || die "no scheduler was started in $dir"
    start_scheduler keep
    ;;
  *)
    usage
    ;;
esac
